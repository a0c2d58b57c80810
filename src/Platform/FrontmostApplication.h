#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace Quickhalo {

// The application whose window was active when the ring opened: where results are pasted and
// which window a snap moves.
struct TargetApplication {
    quint64 windowId = 0;
    qint64 processId = 0; // 0 when the window does not say
    QString windowClass;  // WM_CLASS class part, e.g. "XTerm"
    QString windowTitle = {}; // what its title bar said then
    bool operator==(const TargetApplication&) const = default;
};

class FrontmostApplication {
public:
    virtual ~FrontmostApplication() = default;
    // The active window's application, or nothing when no window is active.
    virtual std::optional<TargetApplication> frontmost() const = 0;
    // This process, so that Quickhalo's own windows are never taken as the target.
    virtual qint64 ownProcessId() const = 0;
};

}
