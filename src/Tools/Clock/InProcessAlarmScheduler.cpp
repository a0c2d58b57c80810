#include "Tools/Clock/InProcessAlarmScheduler.h"

#include "Platform/Clock.h"

#include <QTimeZone>

#include <utility>

namespace Quickhalo {

InProcessAlarmScheduler::InProcessAlarmScheduler(Clock& clock, Ring ring, std::function<QDateTime()> localClock)
    : m_clock(clock)
    , m_ring(std::move(ring))
    , m_localClock(std::move(localClock))
{
}

InProcessAlarmScheduler::~InProcessAlarmScheduler() = default;

QDateTime InProcessAlarmScheduler::nextOccurrence(const ScheduledAlarm& alarm, const QDateTime& after)
{
    const auto on = [&alarm, &after](const QDate& date) {
        const QDateTime exact(date, QTime(alarm.hour, alarm.minute), after.timeZone());
        // A time the clocks skip that day (spring forward) rings as far after midnight as it says.
        return exact.isValid() ? exact
                               : QDateTime(date, QTime(0, 0), after.timeZone()).addSecs(alarm.hour * 3600 + alarm.minute * 60);
    };
    QDateTime candidate = on(after.date());
    if (candidate <= after)
        candidate = on(after.date().addDays(1));
    return candidate;
}

void InProcessAlarmScheduler::schedule(const ScheduledAlarm& alarm)
{
    m_alarms[alarm.id] = { alarm, m_localClock() };
    waitForNextMinute();
}

void InProcessAlarmScheduler::withdraw(const QString& id)
{
    m_alarms.remove(id);
    if (m_alarms.isEmpty())
        m_timer.reset();
}

QList<ScheduledAlarm> InProcessAlarmScheduler::alarms() const
{
    QList<ScheduledAlarm> list;
    for (const Entry& entry : m_alarms)
        list.append(entry.alarm);
    return list;
}

void InProcessAlarmScheduler::check()
{
    const QDateTime now = m_localClock();
    QList<ScheduledAlarm> due;
    for (Entry& entry : m_alarms) {
        if (nextOccurrence(entry.alarm, entry.since) <= now)
            due.append(entry.alarm);
        entry.since = now;
    }
    for (const ScheduledAlarm& alarm : due) {
        if (!alarm.repeatsDaily)
            m_alarms.remove(alarm.id);
        // Ringing may change the alarms (a one-time alarm is switched off), so it comes last.
        if (m_ring)
            m_ring(alarm);
    }
    waitForNextMinute();
}

void InProcessAlarmScheduler::waitForNextMinute()
{
    if (m_alarms.isEmpty()) {
        m_timer.reset();
        return;
    }
    const QDateTime now = m_localClock();
    const QTime time = now.time();
    const double toBoundary = 60.0 - time.second() - time.msec() / 1000.0;
    // A wake-up shows as a late tick; check() then rings what fell due meanwhile.
    m_timer = m_clock.startRepeating(std::max(toBoundary, 0.05), [this] { check(); });
}

}
