#include "Platform/X11/X11WindowSystemInfo.h"

#include "Platform/X11/X11Window.h"

#include "Platform/X11/X11Connection.h"

#include "Platform/X11/XcbReply.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace Quickhalo {

X11WindowSystemInfo::X11WindowSystemInfo()
{
    if (xcb_connection_t* connection = X11Connection::qt()) {
        m_connection = connection;
        // Qt talks to the default screen of its display.
        m_screenNumber = 0;
        if (const char* display = std::getenv("DISPLAY")) {
            if (const char* dot = std::strrchr(display, '.'); dot && std::strchr(display, ':') < dot)
                m_screenNumber = std::atoi(dot + 1);
        }
    }
}

X11WindowSystemInfo::X11WindowSystemInfo(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection)
    , m_screenNumber(screenNumber)
{
}

xcb_atom_t X11WindowSystemInfo::atom(const char* name) const
{
    return X11Connection::internAtom(m_connection, name, false);
}

xcb_window_t X11WindowSystemInfo::rootWindow() const
{
    auto iterator = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screenNumber && iterator.rem > 0; ++i)
        xcb_screen_next(&iterator);
    return iterator.rem > 0 ? iterator.data->root : xcb_window_t { XCB_WINDOW_NONE };
}

QString X11WindowSystemInfo::windowManagerName() const
{
    if (!m_connection)
        return {};
    const xcb_atom_t supportingCheck = atom("_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t wmName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    if (supportingCheck == XCB_ATOM_NONE || wmName == XCB_ATOM_NONE)
        return {};

    XcbReply<xcb_get_property_reply_t> check(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, rootWindow(), supportingCheck, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4)
        return {};
    xcb_window_t wmWindow = 0;
    std::memcpy(&wmWindow, xcb_get_property_value(check.get()), sizeof wmWindow);

    XcbReply<xcb_get_property_reply_t> name(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, wmWindow, wmName, utf8, 0, 256), nullptr));
    if (!name || name->format != 8)
        return {};
    const auto length = xcb_get_property_value_length(name.get());
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())), length);
}

bool X11WindowSystemInfo::isCompositing() const
{
    if (!m_connection)
        return false;
    const QByteArray selectionName = "_NET_WM_CM_S" + QByteArray::number(m_screenNumber);
    const xcb_atom_t selection = atom(selectionName.constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool X11WindowSystemInfo::stackBelow(const QWindow& window, const QWindow& reference) const
{
    return X11Window::stackBelow(window, reference);
}

std::optional<bool> X11WindowSystemInfo::hasInputFocus(const QWindow& window) const
{
    return X11Window::hasInputFocus(window);
}

}
