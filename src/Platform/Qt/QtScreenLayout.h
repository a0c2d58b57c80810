#pragma once

#include "Platform/ScreenLayout.h"

namespace Quickhalo {

// The screens as Qt sees them (QGuiApplication::screens, QScreen::availableGeometry for the work
// area), turned back from Qt's scaled points into the desktop pixels the window system uses.
class QtScreenLayout final : public ScreenLayout {
public:
    QList<ScreenArea> screens() const override;
};

}
