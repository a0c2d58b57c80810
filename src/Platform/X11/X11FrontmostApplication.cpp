#include "Platform/X11/X11FrontmostApplication.h"

#include "Platform/X11/X11Connection.h"

#include "Platform/X11/XcbReply.h"

#include <cstring>

#include <unistd.h>

#include <QGuiApplication>

namespace Quickhalo {

X11FrontmostApplication::X11FrontmostApplication()
{
    m_connection = X11Connection::qt();
}

X11FrontmostApplication::X11FrontmostApplication(xcb_connection_t* connection)
    : m_connection(connection)
{
}

qint64 X11FrontmostApplication::ownProcessId() const
{
    return static_cast<qint64>(::getpid());
}

xcb_atom_t X11FrontmostApplication::atom(const char* name) const
{
    return X11Connection::internAtom(m_connection, name, true);
}

std::optional<TargetApplication> X11FrontmostApplication::frontmost() const
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const xcb_atom_t activeWindow = atom("_NET_ACTIVE_WINDOW");
    if (activeWindow == XCB_ATOM_NONE)
        return std::nullopt;

    XcbReply<xcb_get_property_reply_t> active(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, root, activeWindow, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4)
        return std::nullopt;
    xcb_window_t window = 0;
    std::memcpy(&window, xcb_get_property_value(active.get()), sizeof window);
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;

    TargetApplication target;
    target.windowId = window;

    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    XcbReply<xcb_get_property_reply_t> pid(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) >= 4) {
        quint32 value = 0;
        std::memcpy(&value, xcb_get_property_value(pid.get()), sizeof value);
        target.processId = static_cast<qint64>(value);
    }

    // WM_CLASS holds "instance\0class\0"; the class names the application.
    XcbReply<xcb_get_property_reply_t> windowClass(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (windowClass && windowClass->format == 8) {
        const auto* text = static_cast<const char*>(xcb_get_property_value(windowClass.get()));
        const int length = xcb_get_property_value_length(windowClass.get());
        const QByteArray bytes(text, length);
        const QList<QByteArray> parts = bytes.split('\0');
        if (parts.size() >= 2)
            target.windowClass = QString::fromLocal8Bit(parts.at(1));
    }

    // The EWMH title in UTF-8, or the old Latin-1 one from clients without it.
    XcbReply<xcb_get_property_reply_t> name(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024), nullptr));
    if (name && name->format == 8 && xcb_get_property_value_length(name.get()) > 0) {
        target.windowTitle = QString::fromUtf8(
            static_cast<const char*>(xcb_get_property_value(name.get())), xcb_get_property_value_length(name.get()));
    } else {
        XcbReply<xcb_get_property_reply_t> oldName(xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 1024), nullptr));
        if (oldName && oldName->format == 8)
            target.windowTitle = QString::fromLatin1(static_cast<const char*>(xcb_get_property_value(oldName.get())),
                xcb_get_property_value_length(oldName.get()));
    }
    return target;
}

}
