#include "Tools/Clock/StopwatchTool.h"

#include <algorithm>
#include <cmath>

namespace Quickhalo {

StopwatchTool::StopwatchTool(std::function<QDateTime()> wallClock)
    : m_wallClock(std::move(wallClock))
{
}

double StopwatchTool::elapsed() const
{
    const double running = m_startDate ? static_cast<double>(m_startDate->msecsTo(m_wallClock())) / 1000.0 : 0.0;
    return m_accumulated + running;
}

void StopwatchTool::start()
{
    if (m_startDate)
        return;
    m_startDate = m_wallClock();
    Q_EMIT isRunningChanged();
}

void StopwatchTool::pause()
{
    if (!m_startDate)
        return;
    m_accumulated = elapsed();
    m_startDate.reset();
    Q_EMIT isRunningChanged();
}

void StopwatchTool::reset()
{
    const bool wasRunning = isRunning();
    const bool hadLaps = !m_laps.isEmpty();
    m_accumulated = 0;
    m_startDate.reset();
    m_laps.clear();
    if (wasRunning)
        Q_EMIT isRunningChanged();
    if (hadLaps)
        Q_EMIT lapsChanged();
}

void StopwatchTool::lap()
{
    if (!m_startDate)
        return;
    m_laps.prepend(elapsed());
    Q_EMIT lapsChanged();
}

QString StopwatchTool::format(double seconds)
{
    // A wall clock set back would make the time negative, and nonsense is no help: show zero.
    // The upper bound keeps the conversion defined; it is about three million years.
    constexpr double largestHundredths = 1e17;
    const double clamped = std::isfinite(seconds) ? std::clamp(seconds * 100, 0.0, largestHundredths) : 0.0;
    // Rounded down, but 0.29 s is 28.999… hundredths in binary: a hair over keeps it 29.
    const auto hundredths = static_cast<qint64>(std::floor(clamped + 1e-6));
    return QString::asprintf("%02lld:%02lld.%02lld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
}

}
