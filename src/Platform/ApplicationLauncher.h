#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace Quickhalo {

// Starting applications and opening addresses the way the desktop does.
class ApplicationLauncher {
public:
    using Failure = std::function<void(const QString& reason)>;

    virtual ~ApplicationLauncher() = default;
    // Starts the application at an existing `path`: a desktop entry, an executable, or any other
    // file or folder (opened with its default application). Returns at once; a failure is
    // reported on the main thread.
    virtual void launch(const QString& path, Failure onFailure) = 0;
    // Opens `address` with the desktop's default handler for its scheme. Returns at once; a
    // refusal (no handler, the handler failed to start) is reported on the main thread.
    virtual void open(const QUrl& address, Failure onFailure) = 0;
};

}
