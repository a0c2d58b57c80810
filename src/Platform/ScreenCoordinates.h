#pragma once

#include <QPointF>

namespace Quickhalo::ScreenCoordinates {

// The ring's logic measures with y pointing up from the bottom edge of the desktop; X11 and Qt
// measure y down from the top. These two are the only conversions between the two.

inline QPointF toYUp(QPointF yDown, double desktopHeight)
{
    return { yDown.x(), desktopHeight - yDown.y() };
}

inline QPointF toYDown(QPointF yUp, double desktopHeight)
{
    return { yUp.x(), desktopHeight - yUp.y() };
}

}
