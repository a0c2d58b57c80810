#pragma once

#include "Platform/PointerLocation.h"

namespace Quickhalo {

// The bottom edge of all screens together, in Qt's y-down points: the height that
// ScreenCoordinates converts with. 0 without screens.
double virtualDesktopHeight();

// The pointer as Qt sees it (QCursor::pos), converted to y up.
class QtPointerLocation final : public PointerLocation {
public:
    QPointF location() const override;
    void moveTo(QPointF point) override;
};

}
