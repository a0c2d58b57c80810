#pragma once

#include <vector>

#include "Platform/SoundOutput.h"

namespace Quickhalo {

// Records what it is asked to play; a test decides whether starting succeeds.
class FakeSoundOutput final : public SoundOutput {
public:
    struct Played {
        int voice;
        std::vector<float> samples;
        bool whileRunning;
    };

    // Scripted answer.
    bool startSucceeds = true;

    // Observations.
    int starts = 0;
    int stops = 0;
    bool running = false;
    std::vector<Played> played; // every call, also those a real output would ignore

    bool start() override
    {
        ++starts;
        running = startSucceeds;
        return running;
    }
    void stop() override
    {
        ++stops;
        running = false;
    }
    bool isRunning() const override { return running; }
    void play(int voice, const std::vector<float>& samples) override
    {
        played.push_back({ voice, samples, running });
    }
};

}
