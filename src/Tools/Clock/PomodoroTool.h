#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

#include "Base/SharedInstance.h"
#include "Tools/Clock/ClockAlerts.h"

namespace Quickhalo {

class Clock;
class Preferences;
class RepeatingTimer;

// Focus periods and breaks: a short break after each focus, a long one after every fourth, and
// focus again after any break. One for the whole process; the three lengths are preferences,
// the progress is not kept. It counts against the wall clock, as the timer does.
class PomodoroTool final : public QObject, public Shared<PomodoroTool> {
    Q_OBJECT

public:
    enum class Phase { focus, shortBreak, longBreak };
    static constexpr int defaultFocusMinutes = 25;
    static constexpr int defaultBreakMinutes = 5;
    static constexpr int defaultLongBreakMinutes = 15;

    PomodoroTool(Preferences& preferences, Clock& clock, ClockAlerts alerts,
        std::function<QDateTime()> wallClock = &QDateTime::currentDateTimeUtc);
    ~PomodoroTool() override;

    static QString title(Phase phase);

    Phase phase() const { return m_phase; }
    qint64 remaining() const { return m_remaining; }
    bool isRunning() const { return m_timer != nullptr; }
    qint64 completedFocuses() const { return m_completedFocuses; }
    int focusMinutes() const { return m_focusMinutes; }
    int breakMinutes() const { return m_breakMinutes; }
    int longBreakMinutes() const { return m_longBreakMinutes; }
    qint64 duration(Phase phase) const;

    QString display() const { return minutesAndSeconds(m_remaining); }
    // "Focus 24:13"
    QString menuLabel() const { return title(m_phase) + u' ' + display(); }

    void start();
    // The pause: phase and remaining time stay.
    void stopTimer();
    void reset();
    // Ends the phase now and moves on; a running pomodoro keeps running.
    void advance(bool notify);
    void tick();

    // Stored at once; while paused the current phase starts again from its full length. Below one
    // minute, nothing.
    void setFocusMinutes(int minutes);
    void setBreakMinutes(int minutes);
    void setLongBreakMinutes(int minutes);

Q_SIGNALS:
    void changed();

private:
    void durationChanged(const QString& key, int value);
    // Wakes for the next change of the shown second.
    void arm();
    void setRemaining(qint64 seconds);

    Preferences& m_preferences;
    Clock& m_clock;
    ClockAlerts m_alerts;
    std::function<QDateTime()> m_wallClock;
    Phase m_phase = Phase::focus;
    qint64 m_remaining = 0;
    qint64 m_completedFocuses = 0;
    int m_focusMinutes;
    int m_breakMinutes;
    int m_longBreakMinutes;
    std::optional<QDateTime> m_endDate;
    std::unique_ptr<RepeatingTimer> m_timer;
};

}
