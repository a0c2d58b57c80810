#pragma once

#include <vector>

namespace Quickhalo {

// An audio output with independent voices, each playing one prepared buffer of mono float
// samples at `sampleRate`. Every call is made on the main thread and returns at once.
class SoundOutput {
public:
    static constexpr int sampleRate = 44100;

    virtual ~SoundOutput() = default;
    // Begins opening the output without waiting for it. False only when it cannot even begin;
    // if opening fails later the output stays running and drops what it is given.
    virtual bool start() = 0;
    // Silences every voice and closes the output; harmless when not running.
    virtual void stop() = 0;
    // From a successful start() until stop().
    virtual bool isRunning() const = 0;
    // Plays `samples` on `voice` (0, 1, ...) from their beginning, cutting off what that voice was
    // playing; other voices play on. The samples are copied. Ignored when not running.
    virtual void play(int voice, const std::vector<float>& samples) = 0;
};

}
