#pragma once

#include <optional>

#include <QString>

#include "Ring/SliceBadgeProvider.h"

namespace Quickhalo {

// Badge sources a test sets field by field; every setter emits `changed`, as the real tool
// models notify on each assignment.
class FakeBadgeSources final : public BadgeSources {
public:
    std::optional<int> countdownRemaining() const override { return m_countdownRemaining; }
    QString countdownDisplay() const override { return m_countdownDisplay; }
    bool isPomodoroRunning() const override { return m_pomodoroRunning; }
    QString pomodoroDisplay() const override { return m_pomodoroDisplay; }
    int openTodoCount() const override { return m_openTodoCount; }
    VoiceMemoState voiceMemoState() const override { return m_voiceMemoState; }

    void setCountdown(std::optional<int> remaining, const QString& display)
    {
        m_countdownRemaining = remaining;
        m_countdownDisplay = display;
        Q_EMIT changed();
    }
    // Keeps the last display text, so a test can see that a stale text is not shown.
    void clearCountdown() { setCountdown(std::nullopt, m_countdownDisplay); }
    void setPomodoro(bool running, const QString& display)
    {
        m_pomodoroRunning = running;
        m_pomodoroDisplay = display;
        Q_EMIT changed();
    }
    void setOpenTodoCount(int count)
    {
        m_openTodoCount = count;
        Q_EMIT changed();
    }
    void setVoiceMemoState(VoiceMemoState state)
    {
        m_voiceMemoState = state;
        Q_EMIT changed();
    }

private:
    std::optional<int> m_countdownRemaining;
    QString m_countdownDisplay;
    bool m_pomodoroRunning = false;
    QString m_pomodoroDisplay;
    int m_openTodoCount = 0;
    VoiceMemoState m_voiceMemoState = VoiceMemoState::idle;
};

}
