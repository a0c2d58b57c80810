#pragma once

#include "Platform/AlarmScheduler.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace Quickhalo {

// Alarms as systemd user timers, so that they ring while Quickhalo is not running and after a
// time missed asleep or switched off: each alarm is a pair of unit files in the user's unit
// folder, enabled under timers.target, whose service runs `quickhalo --fire-alarm ID`. Files and
// `systemctl --user` are handled on a worker, which always brings the folder to the latest set of
// alarms, so a burst of changes costs one reload. When the user manager does not answer, every
// alarm goes to the fallback instead, from then on. Main thread.
class SystemdAlarmScheduler final : public QObject, public AlarmScheduler {
    Q_OBJECT

public:
    // Runs `systemctl --user ARGUMENTS` and returns its exit status (-1 when it could not run), on
    // the worker.
    using Systemctl = std::function<int(const QStringList& arguments)>;

    struct Setup {
        QString unitFolder = defaultUnitFolder();
        QString program; // what the services run
        Systemctl systemctl = &runSystemctl;
        std::function<QDateTime()> localClock = &QDateTime::currentDateTime;
        // Asked this many times, a second apart, before falling back: at login the user manager
        // may be busy.
        int probeAttempts = 3;
        // Each scheduler owns the units with its prefix, and only those.
        QString unitPrefix = QStringLiteral("quickhalo-alarm-");
    };

    // `onFallback` is called on the main thread once the alarms have moved to `fallback`.
    SystemdAlarmScheduler(Setup setup, AlarmScheduler& fallback, std::function<void()> onFallback = {});
    ~SystemdAlarmScheduler() override;

    void schedule(const ScheduledAlarm& alarm) override;
    void withdraw(const QString& id) override;
    void replaceAll(const QList<ScheduledAlarm>& alarms) override;
    // Until the user manager has answered, as if it will.
    bool ringsWithoutQuickhalo() const override { return !m_fellBack; }

    // Blocks until the folder and the user manager hold what was asked for so far.
    void waitForSync();

    // $XDG_CONFIG_HOME/systemd/user
    static QString defaultUnitFolder();
    // Takes one alarm's units away at once, on the calling thread, touching no other alarm: for a
    // process that knows only that alarm.
    static void removeUnits(const QString& unitFolder, const QString& id, const QString& unitPrefix,
        const Systemctl& systemctl = &runSystemctl);
    static int runSystemctl(const QStringList& arguments);

private:
    void queueSync();
    // On the worker.
    void sync(const QMap<QString, ScheduledAlarm>& wanted);
    void fallBack();

    Setup m_setup;
    AlarmScheduler& m_fallback;
    std::function<void()> m_onFallback;
    QMap<QString, ScheduledAlarm> m_wanted;
    bool m_fellBack = false;

    // Shared with the worker.
    QMutex m_mutex;
    std::optional<QMap<QString, ScheduledAlarm>> m_pending;
    // Only the worker touches these.
    std::optional<bool> m_managerAnswers;
    // Timers whose start failed: started again at the next sync, although their files are right.
    QSet<QString> m_unstarted;
    QThreadPool m_worker;
};

}
