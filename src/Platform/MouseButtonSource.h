#pragma once

#include <functional>

namespace Quickhalo {

// Presses and releases of one extra mouse button anywhere on the desktop, in one of two modes:
// intercepting takes the button away from every other application, watching only listens.
// At most one mode is active; starting either one first stops the other. Buttons are X11
// numbers (MouseTriggers::x11Button). The handler runs on the main thread, never from inside a
// start or stop call, and never for an event that arrived before the last start or stop.
class MouseButtonSource {
public:
    using Handler = std::function<void(bool pressed)>;

    virtual ~MouseButtonSource() = default;

    // False when the button cannot be taken (another application holds it); nothing is then
    // left installed.
    virtual bool intercept(int button, Handler handler) = 0;
    // False when the desktop offers no way to listen; nothing is then left installed.
    virtual bool watch(int button, Handler handler) = 0;
    virtual void stop() = 0;
};

}
