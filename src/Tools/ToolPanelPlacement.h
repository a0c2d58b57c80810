#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "Platform/ScreenLayout.h"

#include <optional>

namespace Quickhalo::ToolPanelPlacement {

constexpr double margin = 8;

using Screen = ScreenFrame;

// The bottom-left origin that centres a panel of `size` on `pointer`, kept `margin` inside the
// usable area of the screen under the pointer, else of `mainScreen`. The upper bounds are applied
// last, so a panel larger than the usable area sits flush with its right or top margin.
QPointF origin(QPointF pointer, QSizeF size, const std::vector<Screen>& screens, std::optional<Screen> mainScreen);

}
