#pragma once

#include <xcb/xcb.h>

#include "Platform/Accessibility.h"

namespace Quickhalo {

// X11 asks no permission: input can be synthesised and intercepted when an X server with the
// XTEST extension is reachable. A Wayland session answers false even where XWayland offers
// XTEST, because XWayland's input never reaches native Wayland applications. There is no prompt.
class X11Accessibility final : public Accessibility {
public:
    // Uses Qt's own connection, if the application runs on X11.
    X11Accessibility();
    explicit X11Accessibility(xcb_connection_t* connection);

    bool isTrusted() const override;
    bool promptForTrust() override { return isTrusted(); }

private:
    xcb_connection_t* m_connection = nullptr;
};

}
