#pragma once

#include <cstdint>
#include <vector>

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>

#include "Platform/GlobalHotkeys.h"

namespace Quickhalo {

// Passive key grabs on every root window over Qt's own xcb connection: a key with its
// modifiers, whatever the state of Caps Lock and Num Lock. Detectable auto-repeat is turned on
// for the connection, so holding the shortcut gives repeated presses and one release.
class X11GlobalHotkeys final : public GlobalHotkeys, private QAbstractNativeEventFilter {
public:
    X11GlobalHotkeys();
    ~X11GlobalHotkeys() override;
    X11GlobalHotkeys(const X11GlobalHotkeys&) = delete;
    X11GlobalHotkeys& operator=(const X11GlobalHotkeys&) = delete;

    void setHandlers(std::function<void()> onPressed, std::function<void()> onReleased) override;
    Registration registerHotkey(QKeyCombination combination) override;
    void unregisterHotkey() override;
    bool isRegistered() const override { return !m_grabs.empty(); }

    // The modifier bits X11 uses for Qt's modifiers (Mod1 = Alt, Mod4 = Super).
    static std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers);

private:
    struct Grab {
        xcb_window_t root;
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void turnOnDetectableAutoRepeat();
    std::vector<xcb_keycode_t> keycodes(std::uint32_t keysym) const;
    std::uint16_t numLockMask() const;
    void ungrab(const std::vector<Grab>& grabs);

    xcb_connection_t* m_connection = nullptr;
    bool m_isFilterInstalled = false;
    bool m_hasDetectableAutoRepeat = false;
    std::vector<Grab> m_grabs;
    std::function<void()> m_onPressed;
    std::function<void()> m_onReleased;
};

}
