#pragma once

#include "Platform/AlertSound.h"

namespace Quickhalo {

class FakeAlertSound final : public AlertSound {
public:
    int plays = 0;
    int stops = 0;
    void play() override { ++plays; }
    void stop() override { ++stops; }
};

}
