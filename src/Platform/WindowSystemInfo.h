#pragma once

#include <QString>

#include <optional>

class QWindow;

namespace Quickhalo {

// What the window system offers, read once when asked: which window manager runs, whether a
// compositing manager makes translucent windows possible, and the little it does for top-level
// windows that Qt does not (stacking, the real keyboard focus).
class WindowSystemInfo {
public:
    virtual ~WindowSystemInfo() = default;
    // False when there is no display connection of this backend's kind.
    virtual bool isConnected() const = 0;
    // The EWMH window manager's name, or empty when none announces itself.
    virtual QString windowManagerName() const = 0;
    // True when a compositing manager owns the screen (translucency works).
    virtual bool isCompositing() const = 0;
    // Puts `window`, one the window manager leaves alone, directly beneath `reference` and the
    // frame around it. False when it cannot.
    virtual bool stackBelow(const QWindow& window, const QWindow& reference) const = 0;
    // Whether the window system gives `window` the keyboard now (Qt's own idea can lag behind);
    // nothing when it cannot tell.
    virtual std::optional<bool> hasInputFocus(const QWindow& window) const = 0;
};

}
