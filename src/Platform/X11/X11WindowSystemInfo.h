#pragma once

#include "Platform/WindowSystemInfo.h"

#include <xcb/xcb.h>

namespace Quickhalo {

// Reads the EWMH supporting window and the compositing-manager selection of the default screen
// over Qt's own xcb connection. Without an X11 connection it reports nothing connected.
class X11WindowSystemInfo final : public WindowSystemInfo {
public:
    X11WindowSystemInfo();
    // For tests and tools that own their connection.
    X11WindowSystemInfo(xcb_connection_t* connection, int screenNumber);

    bool isConnected() const override { return m_connection != nullptr; }
    QString windowManagerName() const override;
    bool isCompositing() const override;
    bool stackBelow(const QWindow& window, const QWindow& reference) const override;
    std::optional<bool> hasInputFocus(const QWindow& window) const override;

private:
    xcb_atom_t atom(const char* name) const;
    xcb_window_t rootWindow() const;

    xcb_connection_t* m_connection = nullptr;
    int m_screenNumber = 0;
};

}
