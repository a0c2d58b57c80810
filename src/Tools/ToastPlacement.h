#pragma once

#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "Platform/ScreenLayout.h"

namespace Quickhalo::ToastPlacement {

using Screen = ScreenFrame;

inline constexpr double pointerGap = 28; // from the pointer to the toast's bottom edge
inline constexpr double screenMargin = 8;

// The pointer's screen: the first whose frame holds it (left and bottom edges outside, as
// pixel rows counted from the top are), else `main`, else none.
std::optional<Screen> screenFor(QPointF pointer, const std::vector<Screen>& screens, const std::optional<Screen>& main);

// The bottom-left corner of a toast of `size`: centred `pointerGap` above the pointer, then kept
// `screenMargin` inside the visible frame, the right and top edges winning when the toast does
// not fit. Unclamped without a screen.
QPointF origin(QPointF pointer, QSizeF size, const std::optional<Screen>& screen);

}
