#pragma once

#include <xcb/xcb.h>

#include <cstdint>

#include "Platform/PasteInput.h"

namespace Quickhalo {

// Activation through the window manager (_NET_ACTIVE_WINDOW) and the paste shortcut through
// XTEST, as if typed on the keyboard.
class X11PasteInput final : public PasteInput {
public:
    // Uses Qt's own connection, if the application runs on X11.
    X11PasteInput();
    explicit X11PasteInput(xcb_connection_t* connection);

    bool activate(const TargetApplication& target) override;
    bool sendPasteShortcut(bool withShift) override;
    bool sendShortcut(const QString& shortcut) override;

private:
    xcb_keycode_t keycode(std::uint32_t keysym) const;
    // Presses the modifiers, taps the key, releases them in reverse.
    bool press(const std::vector<std::uint32_t>& modifiers, std::uint32_t key);

    xcb_connection_t* m_connection = nullptr;
};

}
