#include "Tools/Clock/InProcessAlarmScheduler.h"

#include "Platform/Clock.h"

#include <utility>

namespace Quickhalo {

InProcessAlarmScheduler::InProcessAlarmScheduler(Clock& clock, Ring ring, std::function<QDateTime()> localClock)
    : m_clock(clock)
    , m_ring(std::move(ring))
    , m_localClock(std::move(localClock))
{
}

InProcessAlarmScheduler::~InProcessAlarmScheduler() = default;

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

void InProcessAlarmScheduler::replaceAll(const QList<ScheduledAlarm>& alarms)
{
    const QDateTime now = m_localClock();
    QMap<QString, Entry> next;
    for (const ScheduledAlarm& alarm : alarms) {
        // An alarm registered again unchanged keeps its place: what fell due meanwhile still rings.
        const auto known = m_alarms.constFind(alarm.id);
        next[alarm.id] = known != m_alarms.cend() && known->alarm == alarm ? *known : Entry { alarm, now };
    }
    m_alarms = std::move(next);
    waitForNextMinute();
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
        const QDateTime next = nextOccurrence(entry.alarm, entry.since);
        if (next.isValid() && next <= now)
            due.append(entry.alarm);
        entry.since = now;
    }
    for (const ScheduledAlarm& alarm : due) {
        if (!alarm.repeatsDaily || alarm.day)
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
