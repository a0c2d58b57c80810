#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace Quickhalo {

class HotkeyManager;
class PomodoroTool;
class TimerTool;

// The tray presence: the "Quickhalo" icon and its menu. It works without a tray host (the
// process then runs without an icon) and never owns a main window.
class TrayShell : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> openRing;
        std::function<void()> openSettings;
        std::function<void()> quit;
    };

    TrayShell(HotkeyManager& hotkey, Actions actions, QObject* parent = nullptr);
    ~TrayShell() override;

    void show();
    bool hasTrayHost() const;
    QMenu& menu() const { return *m_menu; }
    // Lines under the first item while the countdown or the pomodoro runs: "Timer: 04:59",
    // "Focus 24:13".
    void followClock(TimerTool& timer, PomodoroTool& pomodoro);

private:
    void showPreset();

    HotkeyManager& m_hotkey;
    Actions m_actions;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_openRing = nullptr;
    QAction* m_timerLine = nullptr;
    QAction* m_pomodoroLine = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
};

}
