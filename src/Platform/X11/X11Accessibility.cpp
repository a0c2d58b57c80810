#include "Platform/X11/X11Accessibility.h"

#include "Platform/X11/X11Connection.h"

#include <xcb/xtest.h>

#include <QGuiApplication>

namespace Quickhalo {

namespace {

bool isWaylandSession()
{
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        && qEnvironmentVariable("XDG_SESSION_TYPE").compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0;
}

}

X11Accessibility::X11Accessibility()
{
    m_connection = X11Connection::qt();
}

X11Accessibility::X11Accessibility(xcb_connection_t* connection)
    : m_connection(connection)
{ }

bool X11Accessibility::isTrusted() const
{
    if (isWaylandSession() || !m_connection || xcb_connection_has_error(m_connection))
        return false;
    // xcb caches the answer after the first round trip.
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

}
