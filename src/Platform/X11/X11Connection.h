#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// The lookups every X11 backend needs, in one place.
namespace Quickhalo::X11Connection {

// Qt's own connection, or null when the application does not run on X11.
xcb_connection_t* qt();

// XCB_ATOM_NONE when the server cannot answer, or when `onlyIfExists` and nobody made it yet.
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name, bool onlyIfExists);

// Every key code that produces `keysym` in the current keyboard mapping.
std::vector<xcb_keycode_t> keycodes(xcb_connection_t* connection, std::uint32_t keysym);

}
