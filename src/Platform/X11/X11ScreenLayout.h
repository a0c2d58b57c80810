#pragma once

#include "Platform/ScreenLayout.h"

#include <xcb/xcb.h>

namespace Quickhalo {

// The monitors as Qt sees them, turned back from Qt's scaled points into the window system's
// pixels, each less the struts of the docks and panels on the current desktop. Qt's own
// available geometry will not do: with more than one monitor it is the whole monitor, because
// _NET_WORKAREA is one rectangle for all of them. No screens without Qt's X11 connection.
class X11ScreenLayout final : public ScreenLayout {
public:
    X11ScreenLayout();
    explicit X11ScreenLayout(xcb_connection_t* connection);

    QList<ScreenArea> screens() const override;
    DesktopFrames frames() const override;

private:
    xcb_connection_t* m_connection = nullptr;
};

}
