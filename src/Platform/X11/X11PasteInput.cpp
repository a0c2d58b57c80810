#include "Platform/X11/X11PasteInput.h"

#include "Platform/X11/X11Connection.h"

#include <xcb/xtest.h>

#include <cstring>
#include <vector>

#include <QGuiApplication>
#include <QHash>
#include <QStringList>

#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {
constexpr std::uint32_t controlKeysym = 0xffe3; // Control_L
constexpr std::uint32_t shiftKeysym = 0xffe1; // Shift_L
constexpr std::uint32_t vKeysym = 0x0076; // v
constexpr std::uint32_t altKeysym = 0xffe9; // Alt_L
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
    std::vector<std::uint32_t> modifiers { controlKeysym };
    if (withShift)
        modifiers.push_back(shiftKeysym);
    return press(modifiers, vKeysym);
}

bool X11PasteInput::sendShortcut(const QString& shortcut)
{
    static const QHash<QString, std::uint32_t> named { { QStringLiteral("escape"), 0xff1b } };
    std::vector<std::uint32_t> modifiers;
    const QStringList parts = shortcut.toLower().split(u'+');
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] == QLatin1String("ctrl"))
            modifiers.push_back(controlKeysym);
        else if (parts[i] == QLatin1String("shift"))
            modifiers.push_back(shiftKeysym);
        else if (parts[i] == QLatin1String("alt"))
            modifiers.push_back(altKeysym);
        else
            return false;
    }
    const QString& key = parts.last();
    std::uint32_t keysym = 0;
    // Latin letters and digits are their own keysyms.
    if (key.size() == 1 && ((key[0] >= u'a' && key[0] <= u'z') || (key[0] >= u'0' && key[0] <= u'9')))
        keysym = key[0].unicode();
    else
        keysym = named.value(key, 0);
    return keysym != 0 && press(modifiers, keysym);
}

bool X11PasteInput::press(const std::vector<std::uint32_t>& modifiers, std::uint32_t key)
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return false;
    std::vector<xcb_keycode_t> held;
    for (const std::uint32_t modifier : modifiers) {
        const xcb_keycode_t code = keycode(modifier);
        if (code == 0)
            return false;
        held.push_back(code);
    }
    const xcb_keycode_t tapped = keycode(key);
    if (tapped == 0)
        return false;
    auto fake = [this](std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(m_connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    for (const xcb_keycode_t code : held)
        fake(XCB_KEY_PRESS, code);
    fake(XCB_KEY_PRESS, tapped);
    fake(XCB_KEY_RELEASE, tapped);
    for (auto code = held.rbegin(); code != held.rend(); ++code)
        fake(XCB_KEY_RELEASE, *code);
    xcb_flush(m_connection);
    return true;
}

}
