#pragma once

#include "Platform/Accessibility.h"

namespace Quickhalo {

class FakeAccessibility final : public Accessibility {
public:
    bool trusted = true;
    int promptCount = 0;

    bool isTrusted() const override { return trusted; }
    bool promptForTrust() override
    {
        ++promptCount;
        return trusted;
    }
};

}
