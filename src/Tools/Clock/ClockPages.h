#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QCheckBox;
class QTimeEdit;
class QVBoxLayout;
class QStackedWidget;

namespace Quickhalo {

class AlarmStore;
class Clock;
class PomodoroTool;
class RepeatingTimer;
class StopwatchTool;
class TimerTool;

// The pages of the clock tool. Each shows a process-wide model, so leaving a page or closing the
// window stops nothing.

class TimerPage final : public QWidget {
    Q_OBJECT

public:
    explicit TimerPage(TimerTool& timer, QWidget* parent = nullptr);

    QLineEdit* customField() const { return m_custom; }
    QPushButton* startButton() const { return m_start; }
    QLabel* countdown() const { return m_countdown; }
    QList<QPushButton*> presets() const { return m_presets; }

    void startCustom();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    TimerTool& m_timer;
    QStackedWidget* m_states = nullptr;
    QLabel* m_countdown = nullptr;
    QLineEdit* m_custom = nullptr;
    QPushButton* m_start = nullptr;
    QList<QPushButton*> m_presets;
};

class StopwatchPage final : public QWidget {
    Q_OBJECT

public:
    // Redraws 20 times a second while it is shown and the stopwatch runs; never otherwise.
    static constexpr double redrawInterval = 0.05;

    StopwatchPage(StopwatchTool& stopwatch, Clock& clock, QWidget* parent = nullptr);
    ~StopwatchPage() override;

    QLabel* elapsed() const { return m_elapsed; }
    QPushButton* startPauseButton() const { return m_startPause; }
    QPushButton* lapButton() const { return m_lap; }
    QPushButton* resetButton() const { return m_reset; }
    QListWidget* lapList() const { return m_laps; }
    bool isRedrawing() const { return m_redraw != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshState();
    void refreshLaps();
    void redraw();

    StopwatchTool& m_stopwatch;
    Clock& m_clock;
    QLabel* m_elapsed = nullptr;
    QPushButton* m_startPause = nullptr;
    QPushButton* m_lap = nullptr;
    QPushButton* m_reset = nullptr;
    QListWidget* m_laps = nullptr;
    std::unique_ptr<RepeatingTimer> m_redraw;
};

class PomodoroDots;

class PomodoroPage final : public QWidget {
    Q_OBJECT

public:
    explicit PomodoroPage(PomodoroTool& pomodoro, QWidget* parent = nullptr);

    QLabel* phaseTitle() const { return m_title; }
    QLabel* countdown() const { return m_countdown; }
    QPushButton* startPauseButton() const { return m_startPause; }
    QSpinBox* focusMinutes() const { return m_focus; }
    // How many of the four dots are filled.
    int filledDots() const;

private:
    void refresh();

    PomodoroTool& m_pomodoro;
    QLabel* m_title = nullptr;
    QLabel* m_countdown = nullptr;
    PomodoroDots* m_dots = nullptr;
    QPushButton* m_startPause = nullptr;
    QSpinBox* m_focus = nullptr;
    QSpinBox* m_break = nullptr;
    QSpinBox* m_longBreak = nullptr;
};

class AlarmsPage final : public QWidget {
    Q_OBJECT

public:
    // `onlyWhileRunning`: the alarms ring only while Quickhalo runs, and the page says so.
    AlarmsPage(AlarmStore& alarms, bool onlyWhileRunning, QWidget* parent = nullptr);

    QTimeEdit* timeField() const { return m_time; }
    QLineEdit* labelField() const { return m_label; }
    QCheckBox* dailyBox() const { return m_daily; }
    void add();
    // One row per alarm: its switch, its time, its subtitle and its delete button.
    QList<QWidget*> rows() const;

private:
    void rebuild();

    AlarmStore& m_alarms;
    QTimeEdit* m_time = nullptr;
    QLineEdit* m_label = nullptr;
    QCheckBox* m_daily = nullptr;
    QVBoxLayout* m_list = nullptr;
};

}
