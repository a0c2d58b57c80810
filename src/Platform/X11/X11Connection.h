#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// The lookups every X11 backend needs, in one place.
namespace Quickhalo::X11Connection {

// Qt's own connection, or null when the application does not run on X11.
xcb_connection_t* qt();

// A connection of the caller's own to the display, with the root window of its default screen;
// null when no X server is reachable. The caller disconnects it.
xcb_connection_t* connectOwn(xcb_window_t* root);

// XCB_ATOM_NONE when the server cannot answer, or when `onlyIfExists` and nobody made it yet.
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name, bool onlyIfExists);

// Every key code that produces `keysym` in the current keyboard mapping.
std::vector<xcb_keycode_t> keycodes(xcb_connection_t* connection, std::uint32_t keysym);

}
