#pragma once

#include "Platform/FrontmostApplication.h"

#include <xcb/xcb.h>

namespace Quickhalo {

// Reads the EWMH active window with its _NET_WM_PID and WM_CLASS over Qt's xcb connection, at
// the moment it is asked. Without an X11 connection there is never a frontmost application.
class X11FrontmostApplication final : public FrontmostApplication {
public:
    X11FrontmostApplication();
    // For tests and tools that own their connection.
    explicit X11FrontmostApplication(xcb_connection_t* connection);

    std::optional<TargetApplication> frontmost() const override;
    qint64 ownProcessId() const override;

private:
    xcb_atom_t atom(const char* name) const;

    xcb_connection_t* m_connection = nullptr;
};

}
