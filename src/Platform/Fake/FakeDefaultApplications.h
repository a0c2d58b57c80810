#pragma once

#include "Platform/DefaultApplications.h"

#include <map>

namespace Quickhalo {

// Answers whatever the test put in `applications`; unknown roles have no application.
class FakeDefaultApplications final : public DefaultApplications {
public:
    std::map<ApplicationRole, DesktopApplication> applications;

    std::optional<DesktopApplication> find(ApplicationRole role) const override
    {
        const auto it = applications.find(role);
        if (it == applications.end())
            return std::nullopt;
        return it->second;
    }
};

}
