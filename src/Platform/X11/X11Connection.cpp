#include "Platform/X11/X11Connection.h"

#include <xcb/xcb_keysyms.h>

#include <cstring>

#include <QGuiApplication>

#include "Platform/X11/XcbReply.h"

namespace Quickhalo::X11Connection {

xcb_connection_t* qt()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_connection_t* connectOwn(xcb_window_t* root)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    *root = screens.data->root;
    return connection;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name, bool onlyIfExists)
{
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection,
        xcb_intern_atom(connection, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
}

std::vector<xcb_keycode_t> keycodes(xcb_connection_t* connection, std::uint32_t keysym)
{
    std::vector<xcb_keycode_t> found;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return found;
    if (XcbReply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, keysym)); codes) {
        for (const xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code)
            found.push_back(*code);
    }
    xcb_key_symbols_free(symbols);
    return found;
}

}
