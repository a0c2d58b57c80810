#include "App/ClockBadgeSources.h"

#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/TimerTool.h"

#include <limits>

namespace Quickhalo {

void ClockBadgeSources::attach(TimerTool& timer, PomodoroTool& pomodoro)
{
    m_timer = &timer;
    m_pomodoro = &pomodoro;
    connect(&timer, &TimerTool::remainingChanged, this, &BadgeSources::changed);
    connect(&pomodoro, &PomodoroTool::changed, this, &BadgeSources::changed);
}

std::optional<int> ClockBadgeSources::countdownRemaining() const
{
    const TimerTool* timer = m_timer.data();
    if (!timer || !timer->remaining())
        return std::nullopt;
    return static_cast<int>(std::min<qint64>(*timer->remaining(), std::numeric_limits<int>::max()));
}

QString ClockBadgeSources::countdownDisplay() const
{
    const TimerTool* timer = m_timer.data();
    return timer ? timer->display() : QString();
}

bool ClockBadgeSources::isPomodoroRunning() const
{
    const PomodoroTool* pomodoro = m_pomodoro.data();
    return pomodoro && pomodoro->isRunning();
}

QString ClockBadgeSources::pomodoroDisplay() const
{
    const PomodoroTool* pomodoro = m_pomodoro.data();
    return pomodoro ? pomodoro->display() : QString();
}

}
