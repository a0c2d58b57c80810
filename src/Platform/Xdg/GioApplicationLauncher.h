#pragma once

#include "Platform/ApplicationLauncher.h"

namespace Quickhalo {

// GIO: desktop entries with their Exec lines expanded as the desktop would, default handlers
// from the XDG MIME associations. Needs GLib's main loop, which Qt's event loop runs on Linux.
class GioApplicationLauncher final : public ApplicationLauncher {
public:
    void launch(const QString& path, Failure onFailure) override;
    void open(const QUrl& address, Failure onFailure) override;
};

}
