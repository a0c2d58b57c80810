#pragma once

#include <functional>

namespace Quickhalo {

// Watches mouse presses anywhere on the desktop, also those that go to other applications.
class ClickWatcher {
public:
    virtual ~ClickWatcher() = default;
    // Calls `onClick` on the main thread once for every left or right button press made outside
    // all of this application's visible windows, until `stop`. A second start replaces the first.
    // Returns false, and calls nothing, when the window system offers no way to watch.
    virtual bool start(std::function<void()> onClick) = 0;
    virtual void stop() = 0;
    virtual bool isWatching() const = 0;
};

}
