#pragma once

#include "Ring/SliceBadgeProvider.h"

#include <QPointer>

namespace Quickhalo {

class PomodoroTool;
class TimerTool;
class TodoStore;

// The slices' badges from the tools' models; the tools that do not exist yet report nothing.
class ToolBadgeSources final : public BadgeSources {
    Q_OBJECT

public:
    // Until attached, nothing runs.
    void attach(TimerTool& timer, PomodoroTool& pomodoro);
    void attach(TodoStore& todo);

    std::optional<int> countdownRemaining() const override;
    QString countdownDisplay() const override;
    bool isPomodoroRunning() const override;
    QString pomodoroDisplay() const override;
    int openTodoCount() const override;
    VoiceMemoState voiceMemoState() const override { return VoiceMemoState::idle; }

private:
    QPointer<TimerTool> m_timer;
    QPointer<PomodoroTool> m_pomodoro;
    QPointer<TodoStore> m_todo;
};

}
