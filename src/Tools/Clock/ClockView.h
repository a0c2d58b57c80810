#pragma once

#include <QWidget>

class QTabBar;
class QVBoxLayout;

namespace Quickhalo {

class AlarmStore;
class Clock;
class PomodoroTool;
class StopwatchTool;
class TimerTool;

// The clock tool: a switcher and the page it picks. The pages show process-wide models, so
// switching pages or closing the window stops nothing; a new view starts on the timer.
class ClockView final : public QWidget {
    Q_OBJECT

public:
    enum class Mode { timer, stopwatch, pomodoro, alarms };

    struct Models {
        TimerTool& timer;
        StopwatchTool& stopwatch;
        PomodoroTool& pomodoro;
        Clock& clock;
        AlarmStore& alarms;
        // Said on the alarms page when nothing rings them while Quickhalo is not running.
        bool alarmsRingOnlyWhileRunning = true;
    };

    explicit ClockView(Models models, QWidget* parent = nullptr);

    static QString title(Mode mode);
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    QTabBar* switcher() const { return m_switcher; }
    QWidget* page() const { return m_page; }

private:
    Models m_models;
    Mode m_mode = Mode::timer;
    QTabBar* m_switcher = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QWidget* m_page = nullptr;
};

}
