#pragma once

#include <functional>

#include <QKeyCombination>

namespace Quickhalo {

// Grabs one keyboard shortcut system-wide, whichever application is in front, and reports its
// presses and releases. It does not pair them: auto-repeat may report several presses.
class GlobalHotkeys {
public:
    // What a refused registration reports: the window system's error code (10 is X11's
    // BadAccess, another client holds the combination), or -1 when there is no window system.
    struct Registration {
        bool isRegistered = false;
        int status = 0;
    };

    virtual ~GlobalHotkeys() = default;

    // The handlers are called on the main thread from inside the platform's event dispatch, in
    // the order the events arrived; they should only queue their work. Empty ones remove them.
    virtual void setHandlers(std::function<void()> onPressed, std::function<void()> onReleased) = 0;
    // Grabs the key with exactly these modifiers (Qt's names: Meta is Super), replacing any
    // earlier grab. On failure nothing stays grabbed, also not the earlier combination.
    virtual Registration registerHotkey(QKeyCombination combination) = 0;
    virtual void unregisterHotkey() = 0;
    virtual bool isRegistered() const = 0;
};

}
