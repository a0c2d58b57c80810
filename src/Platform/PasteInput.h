#pragma once

#include "Platform/FrontmostApplication.h"

namespace Quickhalo {

// What pasting into another application needs from the desktop: bringing its window back to
// the front and typing the paste shortcut into whatever has the keyboard.
class PasteInput {
public:
    virtual ~PasteInput() = default;
    // Asks the window manager to activate the window; answers whether the request was sent.
    virtual bool activate(const TargetApplication& target) = 0;
    // Ctrl+V, or Ctrl+Shift+V where terminals expect it. False when no key could be sent.
    virtual bool sendPasteShortcut(bool withShift) = 0;
    // Any other shortcut, written like "ctrl+l", "ctrl+shift+c" or "Escape": modifiers (ctrl,
    // shift, alt) and one key, a letter, a digit or Escape. False for any other key.
    virtual bool sendShortcut(const QString& shortcut) = 0;
};

}
