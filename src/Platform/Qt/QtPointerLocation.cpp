#include "Platform/Qt/QtPointerLocation.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include "Base/ScreenCoordinates.h"

namespace Quickhalo {

double virtualDesktopHeight()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop = desktop.united(screen->geometry());
    return desktop.isEmpty() ? 0.0 : static_cast<double>(desktop.y() + desktop.height());
}

QPointF QtPointerLocation::location() const
{
    return ScreenCoordinates::toYUp(QPointF(QCursor::pos()), virtualDesktopHeight());
}

void QtPointerLocation::moveTo(QPointF point)
{
    QCursor::setPos(ScreenCoordinates::toYDown(point, virtualDesktopHeight()).toPoint());
}

}
