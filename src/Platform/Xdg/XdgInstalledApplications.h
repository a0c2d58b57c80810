#pragma once

#include "Platform/InstalledApplications.h"
#include "Platform/Xdg/XdgDefaultApplications.h"

namespace Quickhalo {

// The desktop entries of the XDG application folders that a menu would show: hidden, NoDisplay
// and other desktops' entries are left out, and a user's entry hides the system one of its ID.
class XdgInstalledApplications final : public InstalledApplications {
public:
    explicit XdgInstalledApplications(XdgEnvironment environment);

    std::vector<InstalledApplication> list() const override;
    std::optional<InstalledApplication> describe(const QString& path) const override;

private:
    XdgEnvironment m_environment;
};

}
