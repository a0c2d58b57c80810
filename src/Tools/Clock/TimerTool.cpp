#include "Tools/Clock/TimerTool.h"

#include "Platform/Clock.h"

#include <QPointer>

#include <cmath>
#include <limits>

namespace Quickhalo {

TimerTool::TimerTool(Clock& clock, ClockAlerts alerts, std::function<QDateTime()> wallClock)
    : m_clock(clock)
    , m_alerts(std::move(alerts))
    , m_wallClock(std::move(wallClock))
{
}

TimerTool::~TimerTool() = default;

void TimerTool::start(double minutes)
{
    // The end is kept in milliseconds, so that is the bound; it is far beyond any real timer.
    constexpr double largestMilliseconds = 9.0e18;
    if (!std::isfinite(minutes) || minutes <= 0 || minutes * 60'000 >= largestMilliseconds)
        return;
    const QDateTime end = m_wallClock().addMSecs(static_cast<qint64>(std::ceil(minutes * 60'000)));
    if (!end.isValid())
        return;
    cancel();
    if (m_alerts.requestAuthorization)
        m_alerts.requestAuthorization();
    m_endDate = end;
    arm();
    setRemaining(static_cast<qint64>(std::ceil(minutes * 60)));
}

void TimerTool::cancel()
{
    m_timer.reset();
    m_endDate.reset();
    setRemaining(std::nullopt);
}

void TimerTool::tick()
{
    if (!m_endDate)
        return;
    const qint64 secs = secondsLeft(m_wallClock(), *m_endDate);
    if (secs < 1) {
        cancel();
        m_alerts.announce(QStringLiteral("Quickhalo timer"), QStringLiteral("Time's up."), QStringLiteral("Timer finished"));
        return;
    }
    setRemaining(secs);
    // Listeners to the change may have cancelled it.
    if (m_endDate)
        arm();
}

void TimerTool::arm()
{
    m_timer = m_clock.startRepeating(secondsToNextChange(m_wallClock(), *m_endDate), [self = QPointer<TimerTool>(this)] {
        if (self)
            self->tick();
    });
}

void TimerTool::setRemaining(std::optional<qint64> remaining)
{
    if (remaining == m_remaining)
        return;
    m_remaining = remaining;
    Q_EMIT remainingChanged();
}

std::optional<double> TimerTool::parseMinutes(const QString& text)
{
    // QString::toDouble would allow surrounding spaces; the field's text must be the number alone.
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace() || text.contains(u','))
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

}
