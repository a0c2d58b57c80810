#pragma once

#include <QPointF>

namespace Quickhalo {

// Where the pointer is, in screen points with the y axis pointing up (the ring's convention);
// backends convert from their own coordinates at this boundary.
class PointerLocation {
public:
    virtual ~PointerLocation() = default;
    virtual QPointF location() const = 0;
    // Puts the pointer at `point` (y up).
    virtual void moveTo(QPointF point) = 0;
};

}
