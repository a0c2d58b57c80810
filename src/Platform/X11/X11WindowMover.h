#pragma once

#include "Platform/WindowMover.h"

#include <xcb/xcb.h>

#include <array>
#include <vector>

namespace Quickhalo {

// Moves other applications' windows by asking the EWMH window manager: _NET_WM_STATE to leave
// the maximised and full-screen states, then _NET_MOVERESIZE_WINDOW with north-west gravity (the
// frame's corner lands on the point asked for) and a client size less _NET_FRAME_EXTENTS. Reads
// back what the window manager did. Without an X11 connection there is no window to read.
class X11WindowMover final : public WindowMover {
public:
    // Uses Qt's own connection, if the application runs on X11.
    X11WindowMover();
    explicit X11WindowMover(xcb_connection_t* connection);

    std::optional<QRect> frame(quint64 window) const override;
    bool isMovable(quint64 window) const override;
    void leaveMaximisedStates(quint64 window) override;
    std::optional<QRect> moveResize(quint64 window, const QRect& frame) override;

private:
    enum Atom {
        wmState,
        wmStateMaximisedVertically,
        wmStateMaximisedHorizontally,
        wmStateFullScreen,
        moveResizeWindow,
        frameExtents,
        allowedActions,
        actionMove,
        actionResize,
        atomCount
    };
    struct Placement;

    bool isConnected() const;
    // Asks again, up to `redecorations` times, when the frame's decoration changes meanwhile.
    std::optional<QRect> moveResize(quint64 window, const QRect& frame, int redecorations);
    std::optional<Placement> placement(xcb_window_t window) const;
    // The property's 32-bit values; nothing when the window is gone or does not have it.
    std::optional<std::vector<std::uint32_t>> property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const;
    void sendToRoot(xcb_window_t root, xcb_window_t window, Atom message, const std::array<std::uint32_t, 5>& data);

    xcb_connection_t* m_connection = nullptr;
    std::array<xcb_atom_t, atomCount> m_atoms {};
};

}
