#pragma once

#include "Ring/SliceBadgeProvider.h"

#include <QPointer>

namespace Quickhalo {

class PomodoroTool;
class TimerTool;

// The timer slice's badge from the clock tool's models; the tools that do not exist yet report
// nothing.
class ClockBadgeSources final : public BadgeSources {
    Q_OBJECT

public:
    // Until attached, nothing runs.
    void attach(TimerTool& timer, PomodoroTool& pomodoro);

    std::optional<int> countdownRemaining() const override;
    QString countdownDisplay() const override;
    bool isPomodoroRunning() const override;
    QString pomodoroDisplay() const override;
    int openTodoCount() const override { return 0; }
    VoiceMemoState voiceMemoState() const override { return VoiceMemoState::idle; }

private:
    QPointer<TimerTool> m_timer;
    QPointer<PomodoroTool> m_pomodoro;
};

}
