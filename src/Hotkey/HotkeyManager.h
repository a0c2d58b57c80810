#pragma once

#include <functional>

#include <QObject>

#include "Base/SharedInstance.h"
#include "Hotkey/HotkeyPreset.h"

namespace Quickhalo {

class GlobalHotkeys;
class Preferences;

// Keeps the one system-wide shortcut that summons the ring registered for the chosen preset and
// turns the platform's presses and releases into one `onPress` and one `onRelease` per hold.
// It does not decide what a press means; the ring controller does.
class HotkeyManager : public QObject, public Shared<HotkeyManager> {
    Q_OBJECT
    Q_PROPERTY(Quickhalo::HotkeyPreset preset READ preset NOTIFY presetChanged)

public:
    HotkeyManager(Preferences& preferences, GlobalHotkeys& hotkeys, QObject* parent = nullptr);
    ~HotkeyManager() override;
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;


    std::function<void()> onPress;
    std::function<void()> onRelease;

    HotkeyPreset preset() const { return m_preset; }
    // Persists, publishes, then registers the new preset.
    void setPreset(HotkeyPreset preset);

    // Connects to the platform's events once; later calls do nothing.
    void installHandler();
    // Registers the current preset in place of any earlier one and forgets a held key. A refusal
    // is logged; the manager then stays without a shortcut until the next call.
    void registerKey();

    bool isRegistered() const { return m_isRegistered; }
    bool isDown() const { return m_isDown; }

Q_SIGNALS:
    void presetChanged(Quickhalo::HotkeyPreset preset);

private:
    void handlePress();
    void handleRelease();

    Preferences& m_preferences;
    GlobalHotkeys& m_hotkeys;
    HotkeyPreset m_preset;
    bool m_isRegistered = false;
    bool m_isHandlerInstalled = false;
    bool m_isDown = false;
};

}
