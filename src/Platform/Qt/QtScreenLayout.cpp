#include "Platform/Qt/QtScreenLayout.h"

#include <QGuiApplication>
#include <QScreen>

namespace Quickhalo {

namespace {

// Qt scales each screen about its top-left corner, which keeps its pixel position: a point's
// pixels are that corner plus the scaled distance from it.
QRect toPixels(const QRect& points, QPoint corner, double ratio)
{
    const auto pixel = [&](int point, int from) { return from + qRound((point - from) * ratio); };
    const int left = pixel(points.x(), corner.x());
    const int top = pixel(points.y(), corner.y());
    return { left, top, pixel(points.x() + points.width(), corner.x()) - left,
        pixel(points.y() + points.height(), corner.y()) - top };
}

}

QList<ScreenArea> QtScreenLayout::screens() const
{
    QList<ScreenArea> list;
    if (!qGuiApp)
        return list;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect frame = screen->geometry();
        const double ratio = screen->devicePixelRatio();
        list.append(
            { toPixels(frame, frame.topLeft(), ratio), toPixels(screen->availableGeometry(), frame.topLeft(), ratio) });
    }
    return list;
}

}
