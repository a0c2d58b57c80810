#pragma once

#include "Platform/LoginItem.h"

namespace Quickhalo {

class FakeLoginItem final : public LoginItem {
public:
    bool enabled = false;
    std::optional<QString> failure; // returned, and nothing changed, while set
    int changeCount = 0;

    bool isEnabled() const override { return enabled; }
    std::optional<QString> setEnabled(bool on) override
    {
        ++changeCount;
        if (failure)
            return failure;
        enabled = on;
        return std::nullopt;
    }
};

}
