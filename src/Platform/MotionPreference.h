#pragma once

namespace Quickhalo {

// Whether the desktop asks applications to keep animations to a minimum.
class MotionPreference {
public:
    virtual ~MotionPreference() = default;
    // False when the desktop says nothing about it.
    virtual bool prefersReducedMotion() const = 0;
};

}
