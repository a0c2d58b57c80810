#pragma once

#include <QPointF>
#include <QRectF>

namespace Quickhalo::ScreenCoordinates {

// The ring's logic measures with y pointing up from the bottom edge of the desktop; X11 and Qt
// measure y down from the top. These are the only conversions between the two.

inline QPointF toYUp(QPointF yDown, double desktopHeight)
{
    return { yDown.x(), desktopHeight - yDown.y() };
}

inline QPointF toYDown(QPointF yUp, double desktopHeight)
{
    return { yUp.x(), desktopHeight - yUp.y() };
}

// A rectangle's lower edge in one system is its upper edge in the other.
inline QRectF toYUp(const QRectF& yDown, double desktopHeight)
{
    return { yDown.x(), desktopHeight - yDown.y() - yDown.height(), yDown.width(), yDown.height() };
}

inline QRectF toYDown(const QRectF& yUp, double desktopHeight)
{
    return { yUp.x(), desktopHeight - yUp.y() - yUp.height(), yUp.width(), yUp.height() };
}

}
