#pragma once

#include "Platform/ScreenLayout.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <array>
#include <memory>
#include <optional>

class QScreen;

namespace Quickhalo {

// The monitors as Qt sees them, turned back from Qt's scaled points into the window system's
// pixels, each less the struts of the docks and panels on the current desktop. Qt's own
// available geometry will not do: with more than one monitor it is the whole monitor, because
// _NET_WORKAREA is one rectangle for all of them. No screens without Qt's X11 connection.
class X11ScreenLayout final : public ScreenLayout, private QAbstractNativeEventFilter {
public:
    X11ScreenLayout();
    explicit X11ScreenLayout(xcb_connection_t* connection);
    ~X11ScreenLayout() override;
    X11ScreenLayout(const X11ScreenLayout&) = delete;
    X11ScreenLayout& operator=(const X11ScreenLayout&) = delete;

    // Read afresh every time: a snap must see a panel that appeared just now.
    QList<ScreenArea> screens() const override;
    // Kept until a screen changes or the window manager changes the work area or the list of
    // windows (as it does when a strut comes, goes or changes): the ring is placed with this as it
    // opens, without a round trip.
    DesktopFrames frames() const override;

private:
    void watch(QScreen* screen);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    std::array<xcb_atom_t, 3> m_watchedAtoms {}; // _NET_WORKAREA, _NET_CLIENT_LIST, _NET_CURRENT_DESKTOP
    bool m_isFilterInstalled = false;
    mutable std::optional<DesktopFrames> m_frames;
    std::unique_ptr<QObject> m_watcher; // the context of the connections that drop m_frames
};

}
