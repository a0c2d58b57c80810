#pragma once

#include "Platform/MotionPreference.h"

namespace Quickhalo {

class FakeMotionPreference final : public MotionPreference {
public:
    bool reduced = false;
    bool prefersReducedMotion() const override { return reduced; }
};

}
