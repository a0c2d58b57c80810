#include "Tools/ToastPlacement.h"

#include <algorithm>

namespace Quickhalo::ToastPlacement {

namespace {
bool holds(const QRectF& frame, QPointF point)
{
    // y points up: QRectF's y() is the bottom edge here.
    return point.x() >= frame.x() && point.x() < frame.x() + frame.width() && point.y() > frame.y()
        && point.y() <= frame.y() + frame.height();
}
}

std::optional<Screen> screenFor(QPointF pointer, const std::vector<Screen>& screens, const std::optional<Screen>& main)
{
    const auto found = std::find_if(
        screens.begin(), screens.end(), [&](const Screen& screen) { return holds(screen.frame, pointer); });
    return found != screens.end() ? std::optional<Screen>(*found) : main;
}

QPointF origin(QPointF pointer, QSizeF size, const std::optional<Screen>& screen)
{
    double x = pointer.x() - size.width() / 2;
    double y = pointer.y() + pointerGap;
    if (!screen)
        return { x, y };
    // Not std::clamp: the upper bounds go last, so a toast too big for the screen keeps its right
    // and top edges inside.
    const QRectF& visible = screen->visibleFrame;
    x = std::max(x, visible.x() + screenMargin);
    x = std::min(x, visible.x() + visible.width() - size.width() - screenMargin);
    y = std::max(y, visible.y() + screenMargin);
    y = std::min(y, visible.y() + visible.height() - size.height() - screenMargin);
    return { x, y };
}

}
