#pragma once

#include <functional>
#include <memory>

namespace Quickhalo {

// Stops its timer when destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

// Time and the main loop's timers, injected so that tests can drive time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic seconds from an arbitrary start.
    virtual double now() const = 0;
    // Calls `tick` every `interval` seconds on the main thread for as long as the handle lives.
    virtual std::unique_ptr<RepeatingTimer> startRepeating(double interval, std::function<void()> tick) = 0;
    // Calls `task` on a later turn of the main event loop, after the current work has finished.
    virtual void later(std::function<void()> task) = 0;
};

}
