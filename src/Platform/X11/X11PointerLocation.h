#pragma once

#include <xcb/xcb.h>

#include "Platform/PointerLocation.h"
#include "Platform/Qt/QtPointerLocation.h"

namespace Quickhalo {

// The pointer read over a connection of its own. The ring asks 60 times a second while it is
// open; on Qt's shared connection every answer also wakes Qt's event-reader thread, which cost
// more than the question itself. Falls back to Qt when no X server is reachable.
class X11PointerLocation final : public PointerLocation {
public:
    X11PointerLocation();
    ~X11PointerLocation() override;
    X11PointerLocation(const X11PointerLocation&) = delete;
    X11PointerLocation& operator=(const X11PointerLocation&) = delete;

    QPointF location() const override;
    // Through Qt, which warps on its own connection.
    void moveTo(QPointF point) override { m_fallback.moveTo(point); }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    QtPointerLocation m_fallback;
};

}
