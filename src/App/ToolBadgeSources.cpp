#include "App/ToolBadgeSources.h"

#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/TimerTool.h"
#include "Tools/Todo/TodoStore.h"

#include <limits>

namespace Quickhalo {

void ToolBadgeSources::attach(TimerTool& timer, PomodoroTool& pomodoro)
{
    m_timer = &timer;
    m_pomodoro = &pomodoro;
    connect(&timer, &TimerTool::remainingChanged, this, &BadgeSources::changed);
    connect(&pomodoro, &PomodoroTool::changed, this, &BadgeSources::changed);
}

std::optional<int> ToolBadgeSources::countdownRemaining() const
{
    const TimerTool* timer = m_timer.data();
    if (!timer || !timer->remaining())
        return std::nullopt;
    return static_cast<int>(std::min<qint64>(*timer->remaining(), std::numeric_limits<int>::max()));
}

QString ToolBadgeSources::countdownDisplay() const
{
    const TimerTool* timer = m_timer.data();
    return timer ? timer->display() : QString();
}

bool ToolBadgeSources::isPomodoroRunning() const
{
    const PomodoroTool* pomodoro = m_pomodoro.data();
    return pomodoro && pomodoro->isRunning();
}

QString ToolBadgeSources::pomodoroDisplay() const
{
    const PomodoroTool* pomodoro = m_pomodoro.data();
    return pomodoro ? pomodoro->display() : QString();
}

void ToolBadgeSources::attach(TodoStore& todo)
{
    m_todo = &todo;
    connect(&todo, &TodoStore::itemsChanged, this, &BadgeSources::changed);
}

int ToolBadgeSources::openTodoCount() const
{
    const TodoStore* todo = m_todo.data();
    return todo ? todo->openCount() : 0;
}

}
