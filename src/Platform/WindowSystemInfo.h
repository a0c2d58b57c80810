#pragma once

#include <QString>

namespace Quickhalo {

// What the window system offers, read once when asked: which window manager runs and whether
// a compositing manager makes translucent windows possible.
class WindowSystemInfo {
public:
    virtual ~WindowSystemInfo() = default;
    // False when there is no display connection of this backend's kind.
    virtual bool isConnected() const = 0;
    // The EWMH window manager's name, or empty when none announces itself.
    virtual QString windowManagerName() const = 0;
    // True when a compositing manager owns the screen (translucency works).
    virtual bool isCompositing() const = 0;
};

}
