#include "App/FireAlarmCommand.h"

#include "App/SingleInstance.h"
#include "Base/Log.h"
#include "Base/Paths.h"
#include "Base/Preferences.h"
#include "Platform/Ical/VdirReminders.h"
#include "Platform/DBus/DBusNotificationCenter.h"
#include "Platform/Systemd/SystemdAlarmScheduler.h"
#include "Platform/Systemd/SystemdUnits.h"
#include "System/Notifier.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Reminders/RemindersStore.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>
#include <QUuid>

namespace Quickhalo::FireAlarmCommand {

namespace {

// At login the timers of missed alarms fire while the desktop is still starting: Quickhalo and the
// notification server may come a little later.
constexpr int patienceMilliseconds = 60'000;
constexpr unsigned long retryMilliseconds = 2'000;

// This process registers nothing: only the fired alarm's own units are taken away, by hand.
class NoAlarms final : public AlarmScheduler {
public:
    void schedule(const ScheduledAlarm&) override { }
    void withdraw(const QString&) override { }
    void replaceAll(const QList<ScheduledAlarm>&) override { }
    bool ringsWithoutQuickhalo() const override { return true; }
};

// The open reminder whose alert has this id, where the preferences keep the reminders.
std::optional<ScheduledAlarm> reminderAlert(const QString& id)
{
    const Preferences preferences(Preferences::defaultFilePath());
    VdirReminders reminders(preferences.text(QStringLiteral("remindersRoot")).value_or(VdirReminders::defaultRoot()));
    for (const ReminderItem& item : reminders.alertingReminders()) {
        if (RemindersStore::alertId(item.uid) == id)
            return RemindersStore::alertOf(item);
    }
    return std::nullopt;
}

bool quickhaloRuns(QDBusConnection& bus)
{
    QDBusConnectionInterface* names = bus.interface();
    return names && names->isServiceRegistered(SingleInstance::serviceName).value();
}

}

int run(const QString& id)
{
    const QUuid uuid = QUuid::fromString(id);
    if (uuid.isNull()) {
        Log::write(QStringLiteral("--fire-alarm needs an alarm's id, not \"%1\"").arg(id));
        return usage;
    }
    NoAlarms none;
    AlarmStore store(none, Paths::supportDirectory() + QStringLiteral("/") + AlarmStore::fileName);
    const std::optional<Alarm> alarm = store.alarm(uuid);
    std::optional<ScheduledAlarm> reminder;
    if (!alarm)
        reminder = reminderAlert(id);
    if ((!alarm || !alarm->enabled) && !reminder) {
        // Its units go at Quickhalo's next start, which reads the whole list.
        Log::write(QStringLiteral("a timer fired for the alarm %1, which is gone or off").arg(id));
        return failed;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    const ScheduledAlarm rung = alarm ? AlarmStore::scheduled(*alarm) : *reminder;
    const NotificationContent content { rung.title, rung.body, QStringLiteral("alarm-clock-elapsed"),
        { { Notifier::alarmKey(), true } } };
    QDeadlineTimer patience(patienceMilliseconds);
    QString error;
    bool posted = false;
    for (;;) {
        // Only a Quickhalo that holds the name is asked; one that is busy is asked again, so
        // that the alarm does not ring twice.
        if (quickhaloRuns(bus)) {
            if (SingleInstance::askToFireAlarm(bus, id, &error))
                return FireAlarmCommand::rung;
        } else if (DBusNotificationCenter::postNow(bus, content, &error)) {
            posted = true;
            break;
        }
        if (patience.hasExpired())
            break;
        QThread::msleep(retryMilliseconds);
    }
    if (!posted) {
        // Left on: a one-time alarm nobody saw is not switched off.
        Log::write(QStringLiteral("could not ring the alarm \"%1\": %2").arg(rung.title, error));
        return failed;
    }
    if (reminder) {
        // Its alert has rung; the reminder stays open until it is ticked off.
        SystemdAlarmScheduler::removeUnits(SystemdAlarmScheduler::defaultUnitFolder(), rung.id, RemindersStore::alertUnitPrefix);
    } else if (!alarm->repeatsDaily) {
        store.fired(uuid);
        store.waitForWrites();
        SystemdAlarmScheduler::removeUnits(SystemdAlarmScheduler::defaultUnitFolder(), rung.id, SystemdUnits::prefix);
    }
    return FireAlarmCommand::rung;
}

}
