#include "Platform/X11/X11PointerLocation.h"

#include <QGuiApplication>
#include <QScreen>

#include "Base/ScreenCoordinates.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

X11PointerLocation::X11PointerLocation()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    m_connection = X11Connection::connectOwn(&m_root);
}

X11PointerLocation::~X11PointerLocation()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

QPointF X11PointerLocation::location() const
{
    if (!m_connection || m_root == XCB_WINDOW_NONE || xcb_connection_has_error(m_connection))
        return m_fallback.location();
    XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (!reply)
        return m_fallback.location();
    // Root coordinates are device pixels; Qt's points divide by its one scale factor.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double scale = screen ? screen->devicePixelRatio() : 1.0;
    const QPointF native(reply->root_x, reply->root_y);
    return ScreenCoordinates::toYUp(native / scale, virtualDesktopHeight());
}

}
