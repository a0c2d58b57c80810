#include "Tools/ToolPanelPlacement.h"

#include <algorithm>

namespace Quickhalo::ToolPanelPlacement {

namespace {
// Edges included on every side, as the pointer can rest on a screen's last row or column.
bool contains(const QRectF& frame, QPointF point)
{
    return point.x() >= frame.left() && point.x() <= frame.right() && point.y() >= frame.top()
        && point.y() <= frame.bottom();
}
}

QPointF origin(QPointF pointer, QSizeF size, const std::vector<Screen>& screens, std::optional<Screen> mainScreen)
{
    std::optional<Screen> chosen;
    for (const Screen& screen : screens) {
        if (contains(screen.frame, pointer)) {
            chosen = screen;
            break;
        }
    }
    if (!chosen)
        chosen = mainScreen;

    double x = pointer.x() - size.width() / 2;
    double y = pointer.y() - size.height() / 2;
    if (chosen) {
        const QRectF& visible = chosen->visibleFrame;
        x = std::max(x, visible.left() + margin);
        x = std::min(x, visible.right() - size.width() - margin);
        y = std::max(y, visible.top() + margin);
        y = std::min(y, visible.bottom() - size.height() - margin);
    }
    return { x, y };
}

}
