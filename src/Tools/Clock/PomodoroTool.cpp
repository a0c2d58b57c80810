#include "Tools/Clock/PomodoroTool.h"

#include "Base/Preferences.h"
#include "Platform/Clock.h"

#include <QPointer>


namespace Quickhalo {

PomodoroTool::PomodoroTool(Preferences& preferences, Clock& clock, ClockAlerts alerts, std::function<QDateTime()> wallClock)
    : m_preferences(preferences)
    , m_clock(clock)
    , m_alerts(std::move(alerts))
    , m_wallClock(std::move(wallClock))
    , m_focusMinutes(preferences.pomodoroMinutes(PreferenceKey::pomoFocus, defaultFocusMinutes))
    , m_breakMinutes(preferences.pomodoroMinutes(PreferenceKey::pomoBreak, defaultBreakMinutes))
    , m_longBreakMinutes(preferences.pomodoroMinutes(PreferenceKey::pomoLongBreak, defaultLongBreakMinutes))
{
    m_remaining = duration(Phase::focus);
}

PomodoroTool::~PomodoroTool() = default;

QString PomodoroTool::title(Phase phase)
{
    switch (phase) {
    case Phase::focus:
        return QStringLiteral("Focus");
    case Phase::shortBreak:
        return QStringLiteral("Break");
    case Phase::longBreak:
        return QStringLiteral("Long break");
    }
    return {};
}

qint64 PomodoroTool::duration(Phase phase) const
{
    switch (phase) {
    case Phase::focus:
        return qint64 { m_focusMinutes } * 60;
    case Phase::shortBreak:
        return qint64 { m_breakMinutes } * 60;
    case Phase::longBreak:
        return qint64 { m_longBreakMinutes } * 60;
    }
    return 0;
}

void PomodoroTool::start()
{
    if (isRunning())
        return;
    if (m_alerts.requestAuthorization)
        m_alerts.requestAuthorization();
    m_endDate = m_wallClock().addSecs(m_remaining);
    arm();
    Q_EMIT changed();
}

void PomodoroTool::stopTimer()
{
    const bool wasRunning = isRunning();
    m_timer.reset();
    m_endDate.reset();
    if (wasRunning)
        Q_EMIT changed();
}

void PomodoroTool::reset()
{
    m_timer.reset();
    m_endDate.reset();
    m_phase = Phase::focus;
    m_completedFocuses = 0;
    m_remaining = duration(Phase::focus);
    Q_EMIT changed();
}

void PomodoroTool::advance(bool notify)
{
    const bool wasRunning = isRunning();
    m_timer.reset();
    m_endDate.reset();
    if (m_phase == Phase::focus) {
        ++m_completedFocuses;
        m_phase = m_completedFocuses > 0 && m_completedFocuses % 4 == 0 ? Phase::longBreak : Phase::shortBreak;
    } else {
        m_phase = Phase::focus;
    }
    m_remaining = duration(m_phase);
    Q_EMIT changed();
    if (notify) {
        const QString text = title(m_phase) + QStringLiteral(" time");
        m_alerts.announce(QStringLiteral("Pomodoro"), text, text);
    }
    if (wasRunning)
        start();
}

void PomodoroTool::tick()
{
    if (!m_endDate)
        return;
    const qint64 secs = secondsLeft(m_wallClock(), *m_endDate);
    if (secs < 1) {
        advance(true);
        return;
    }
    setRemaining(secs);
    // Listeners to the change may have stopped it.
    if (m_endDate)
        arm();
}

void PomodoroTool::arm()
{
    m_timer = m_clock.startRepeating(secondsToNextChange(m_wallClock(), *m_endDate), [self = QPointer<PomodoroTool>(this)] {
        if (self)
            self->tick();
    });
}

void PomodoroTool::setRemaining(qint64 seconds)
{
    if (seconds == m_remaining)
        return;
    m_remaining = seconds;
    Q_EMIT changed();
}

void PomodoroTool::setFocusMinutes(int minutes)
{
    if (minutes < 1)
        return;
    m_focusMinutes = minutes;
    durationChanged(PreferenceKey::pomoFocus, minutes);
}

void PomodoroTool::setBreakMinutes(int minutes)
{
    if (minutes < 1)
        return;
    m_breakMinutes = minutes;
    durationChanged(PreferenceKey::pomoBreak, minutes);
}

void PomodoroTool::setLongBreakMinutes(int minutes)
{
    if (minutes < 1)
        return;
    m_longBreakMinutes = minutes;
    durationChanged(PreferenceKey::pomoLongBreak, minutes);
}

void PomodoroTool::durationChanged(const QString& key, int value)
{
    m_preferences.setInteger(key, value);
    if (!isRunning())
        m_remaining = duration(m_phase);
    Q_EMIT changed();
}

}
