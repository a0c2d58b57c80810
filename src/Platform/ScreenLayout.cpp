#include "Platform/ScreenLayout.h"

#include "Base/ScreenCoordinates.h"

namespace Quickhalo {

DesktopFrames DesktopFrames::fromYDown(const QList<QRectF>& frames, const QList<QRectF>& workAreas)
{
    DesktopFrames desktop;
    QRectF all;
    for (const QRectF& frame : frames)
        all = all.united(frame);
    desktop.height = all.isEmpty() ? 0.0 : all.bottom();
    for (qsizetype index = 0; index < frames.size(); ++index) {
        const QRectF work = index < workAreas.size() ? workAreas[index] : frames[index];
        desktop.screens.push_back({ ScreenCoordinates::toYUp(frames[index], desktop.height),
            ScreenCoordinates::toYUp(work, desktop.height) });
    }
    return desktop;
}

std::optional<ScreenFrame> DesktopFrames::primary() const
{
    return screens.empty() ? std::nullopt : std::optional<ScreenFrame>(screens.front());
}

std::optional<ScreenFrame> DesktopFrames::screenAt(QPointF point) const
{
    for (const ScreenFrame& screen : screens) {
        const QRectF& frame = screen.frame;
        if (point.x() >= frame.x() && point.x() < frame.x() + frame.width() && point.y() > frame.y()
            && point.y() <= frame.y() + frame.height())
            return screen;
    }
    return primary();
}

QPointF DesktopFrames::toWindowPosition(QPointF yUp) const
{
    return ScreenCoordinates::toYDown(yUp, height);
}

QRectF DesktopFrames::toWindowGeometry(const QRectF& yUp) const
{
    return ScreenCoordinates::toYDown(yUp, height);
}

}
