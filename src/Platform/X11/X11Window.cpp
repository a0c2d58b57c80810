#include "Platform/X11/X11Window.h"

#include "Platform/X11/X11Connection.h"

#include <cstdint>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>

#include "Base/Log.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo::X11Window {

namespace {

xcb_connection_t* qtConnection()
{
    xcb_connection_t* connection = X11Connection::qt();
    return connection && !xcb_connection_has_error(connection) ? connection : nullptr;
}

bool succeeded(xcb_connection_t* connection, xcb_void_cookie_t cookie, const char* what)
{
    XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    if (error)
        Log::write(QStringLiteral("could not set %1 (X11 error %2)").arg(QLatin1String(what)).arg(error->error_code));
    return !error;
}

}

std::optional<bool> hasInputFocus(const QWindow& window)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return std::nullopt;
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!focus)
        return std::nullopt;
    return focus->focus == static_cast<xcb_window_t>(window.winId());
}

bool stackBelow(const QWindow& window, const QWindow& reference)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return false;
    // Stacking is among siblings: climb from the reference to the child of the root holding it.
    auto sibling = static_cast<xcb_window_t>(reference.winId());
    for (;;) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, sibling), nullptr));
        if (!tree)
            return false;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        sibling = tree->parent;
    }
    const std::uint32_t values[] = { sibling, XCB_STACK_MODE_BELOW };
    const auto cookie = xcb_configure_window_checked(connection, static_cast<xcb_window_t>(window.winId()),
        XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    return succeeded(connection, cookie, "the stacking order");
}

}
