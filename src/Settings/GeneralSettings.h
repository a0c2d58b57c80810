#pragma once

#include <QWidget>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace Quickhalo {

class Accessibility;
class ClipboardStore;
class HotkeyManager;
class LoginItem;
class MouseTriggerMonitor;
class Preferences;
class RingSoundPlayer;

struct GeneralSettingsServices {
    HotkeyManager& hotkey;
    MouseTriggerMonitor& mouseTrigger;
    Preferences& preferences;
    ClipboardStore& clipboard;
    Accessibility& accessibility;
    LoginItem& loginItem;
    RingSoundPlayer& sounds;
    // What "Grant access…" shows after asking for the permission.
    std::function<void(QWidget* parent)> showAccessibilityHelp;
};

// The General tab: every preference, each taking effect at once. While the tab is shown it
// checks the permission every second, so the row follows a change made outside Quickhalo.
class GeneralSettings final : public QWidget {
    Q_OBJECT

public:
    static constexpr int permissionPollMilliseconds = 1000;

    explicit GeneralSettings(GeneralSettingsServices services, QWidget* parent = nullptr);

    QComboBox& shortcutPicker() const { return *m_shortcut; }
    QComboBox& mouseButtonPicker() const { return *m_mouseButton; }
    QCheckBox& autoPasteToggle() const { return *m_autoPaste; }
    QCheckBox& soundsToggle() const { return *m_sounds; }
    QButtonGroup& glassPicker() const { return *m_glass; }
    QCheckBox& backdropToggle() const { return *m_backdrop; }
    QCheckBox& launchAtLoginToggle() const { return *m_launchAtLogin; }
    QLabel& loginError() const { return *m_loginError; }
    QLabel& accessibilityStatus() const { return *m_trustedText; }
    QPushButton& grantAccessButton() const { return *m_grantAccess; }
    QPushButton& clearClipboardButton() const { return *m_clearClipboard; }
    bool isPollingPermission() const;
    // One poll, as the timer does it.
    void checkPermission();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Reads every control's state from where it is kept: the preferences, the autostart entry,
    // the clipboard history and the permission.
    void reload();
    // Only what the preferences file holds, when one of its keys changed.
    void showPreferences();
    void showTrust(bool trusted);
    void setLaunchAtLogin(bool on);

    GeneralSettingsServices m_services;
    QComboBox* m_shortcut = nullptr;
    QComboBox* m_mouseButton = nullptr;
    QCheckBox* m_autoPaste = nullptr;
    QCheckBox* m_sounds = nullptr;
    QButtonGroup* m_glass = nullptr;
    QCheckBox* m_backdrop = nullptr;
    QCheckBox* m_launchAtLogin = nullptr;
    QLabel* m_loginError = nullptr;
    QLabel* m_trustedIcon = nullptr;
    QLabel* m_trustedText = nullptr;
    QPushButton* m_grantAccess = nullptr;
    QPushButton* m_clearClipboard = nullptr;
    QTimer* m_permissionPoll = nullptr;
    bool m_trusted = false;
};

}
