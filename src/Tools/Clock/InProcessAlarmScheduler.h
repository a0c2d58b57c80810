#pragma once

#include "Platform/AlarmScheduler.h"

#include <QDateTime>
#include <QMap>

#include <functional>
#include <memory>

namespace Quickhalo {

class Clock;
class RepeatingTimer;

// Rings alarms from inside Quickhalo, for desktops without a user service manager: it wakes at
// each minute boundary (no more often) and rings what fell due since it last looked, so an alarm
// missed while the laptop slept rings once on waking. Nothing rings while Quickhalo is not running.
class InProcessAlarmScheduler final : public AlarmScheduler {
public:
    using Ring = std::function<void(const ScheduledAlarm&)>;

    InProcessAlarmScheduler(Clock& clock, Ring ring, std::function<QDateTime()> localClock = &QDateTime::currentDateTime);
    ~InProcessAlarmScheduler() override;

    void schedule(const ScheduledAlarm& alarm) override;
    void withdraw(const QString& id) override;
    void replaceAll(const QList<ScheduledAlarm>& alarms) override;
    bool ringsWithoutQuickhalo() const override { return false; }

    // Rings what fell due, then waits for the next minute boundary. After a suspend the first
    // check comes when the minute's timer runs out, up to a minute after waking.
    void check();

    static QDateTime nextOccurrence(const ScheduledAlarm& alarm, const QDateTime& after)
    {
        return nextAlarmTime(alarm, after);
    }
    QList<ScheduledAlarm> alarms() const;

private:
    void waitForNextMinute();

    Clock& m_clock;
    Ring m_ring;
    std::function<QDateTime()> m_localClock;
    struct Entry {
        ScheduledAlarm alarm;
        // Only times after this ring: an alarm set for the current minute rings tomorrow.
        QDateTime since;
    };
    QMap<QString, Entry> m_alarms;
    std::unique_ptr<RepeatingTimer> m_timer;
};

}
