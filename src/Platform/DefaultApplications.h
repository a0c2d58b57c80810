#pragma once

#include <QString>

#include <optional>

namespace Quickhalo {

// An application the desktop can launch: a .desktop entry file, or a plain executable when no
// entry describes it.
struct DesktopApplication {
    QString path; // absolute path of the .desktop file or of the executable
    QString name; // what a user calls it ("Files", "Firefox ESR", "Terminal")
    bool operator==(const DesktopApplication&) const = default;
};

enum class ApplicationRole { fileManager, webBrowser, terminal, systemMonitor };

// Finds the user's preferred application for a role on this machine. Answers nothing when the
// machine has no application for the role; never fails otherwise.
class DefaultApplications {
public:
    virtual ~DefaultApplications() = default;
    virtual std::optional<DesktopApplication> find(ApplicationRole role) const = 0;
};

}
