#pragma once

#include <QWidget>

class QComboBox;

namespace Quickhalo {

class HotkeyManager;
class MouseTriggerMonitor;
class Preferences;

// The settings window. Every control takes effect at once; there is no OK or Apply.
class SettingsWindow final : public QWidget {
    Q_OBJECT

public:
    SettingsWindow(HotkeyManager& hotkey, MouseTriggerMonitor& mouseTrigger, Preferences& preferences,
        QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Brings the window to the front, showing it if needed.
    void present();

    QComboBox& shortcutPicker() const { return *m_shortcut; }
    QComboBox& mouseButtonPicker() const { return *m_mouseButton; }

private:
    QWidget* makeGeneralTab();

    HotkeyManager& m_hotkey;
    MouseTriggerMonitor& m_mouseTrigger;
    Preferences& m_preferences;
    QComboBox* m_shortcut = nullptr;
    QComboBox* m_mouseButton = nullptr;
};

}
