#include "Platform/X11/X11PasteInput.h"

#include "Platform/X11/X11Connection.h"

#include <xcb/xtest.h>

#include <cstring>
#include <vector>

#include <QGuiApplication>

#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {
constexpr std::uint32_t controlKeysym = 0xffe3; // Control_L
constexpr std::uint32_t shiftKeysym = 0xffe1; // Shift_L
constexpr std::uint32_t vKeysym = 0x0076; // v
// A request from a pager or taskbar, which window managers honour as the user's own.
constexpr std::uint32_t userSourceIndication = 2;
}

X11PasteInput::X11PasteInput()
{
    m_connection = X11Connection::qt();
}

X11PasteInput::X11PasteInput(xcb_connection_t* connection)
    : m_connection(connection)
{
}

bool X11PasteInput::activate(const TargetApplication& target)
{
    if (!m_connection || xcb_connection_has_error(m_connection) || target.windowId == 0)
        return false;
    const xcb_atom_t activeWindow = X11Connection::internAtom(m_connection, "_NET_ACTIVE_WINDOW", false);
    if (activeWindow == XCB_ATOM_NONE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(target.windowId);
    message.type = activeWindow;
    message.data.data32[0] = userSourceIndication;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection);
    return true;
}

xcb_keycode_t X11PasteInput::keycode(std::uint32_t keysym) const
{
    const std::vector<xcb_keycode_t> codes = X11Connection::keycodes(m_connection, keysym);
    return codes.empty() ? xcb_keycode_t { 0 } : codes.front();
}

bool X11PasteInput::sendPasteShortcut(bool withShift)
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return false;
    const xcb_keycode_t control = keycode(controlKeysym);
    const xcb_keycode_t shift = withShift ? keycode(shiftKeysym) : xcb_keycode_t { 0 };
    const xcb_keycode_t v = keycode(vKeysym);
    if (control == 0 || v == 0 || (withShift && shift == 0))
        return false;

    std::vector<xcb_keycode_t> held { control };
    if (withShift)
        held.push_back(shift);
    auto fake = [this](std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(m_connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    for (const xcb_keycode_t code : held)
        fake(XCB_KEY_PRESS, code);
    fake(XCB_KEY_PRESS, v);
    fake(XCB_KEY_RELEASE, v);
    for (auto code = held.rbegin(); code != held.rend(); ++code)
        fake(XCB_KEY_RELEASE, *code);
    xcb_flush(m_connection);
    return true;
}

}
