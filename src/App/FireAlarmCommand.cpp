#include "App/FireAlarmCommand.h"

#include "App/SingleInstance.h"
#include "Base/Log.h"
#include "Base/Paths.h"
#include "Platform/DBus/DBusNotificationCenter.h"
#include "Platform/Systemd/SystemdAlarmScheduler.h"
#include "System/Notifier.h"
#include "Tools/Clock/AlarmStore.h"

#include <QCoreApplication>
#include <QUuid>

namespace Quickhalo::FireAlarmCommand {

namespace {

// This process rings nothing later, so without a user manager there is nothing to fall back to.
class NoAlarms final : public AlarmScheduler {
public:
    void schedule(const ScheduledAlarm&) override { }
    void withdraw(const QString&) override { }
    void replaceAll(const QList<ScheduledAlarm>&) override { }
    bool ringsWithoutQuickhalo() const override { return false; }
};

}

int run(const QString& id)
{
    const QUuid uuid = QUuid::fromString(id);
    if (uuid.isNull()) {
        Log::write(QStringLiteral("--fire-alarm needs an alarm's id, not \"%1\"").arg(id));
        return usage;
    }
    QString error;
    if (SingleInstance::askToFireAlarm(QDBusConnection::sessionBus(), id, &error))
        return rung;

    NoAlarms none;
    SystemdAlarmScheduler scheduler({ .program = QCoreApplication::applicationFilePath() }, none);
    AlarmStore store(scheduler, Paths::supportDirectory() + QStringLiteral("/") + AlarmStore::fileName);
    // Also takes away the units of an alarm deleted meanwhile.
    store.rescheduleAll();
    const std::optional<Alarm> alarm = store.alarm(uuid);
    int status = failed;
    if (!alarm || !alarm->enabled) {
        Log::write(QStringLiteral("a timer fired for the alarm %1, which is gone or off").arg(id));
    } else {
        const ScheduledAlarm rung = AlarmStore::scheduled(*alarm);
        const NotificationContent content { rung.title, rung.body, QStringLiteral("alarm-clock-elapsed"),
            { { Notifier::alarmKey(), true } } };
        if (DBusNotificationCenter::postNow(QDBusConnection::sessionBus(), content, &error)) {
            status = FireAlarmCommand::rung;
        } else {
            Log::write(QStringLiteral("could not show the alarm \"%1\": %2").arg(rung.title, error));
        }
        store.fired(uuid);
    }
    scheduler.waitForSync();
    store.waitForWrites();
    return status;
}

}
