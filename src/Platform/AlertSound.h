#pragma once

namespace Quickhalo {

// The sound of an alarm going off. Called on the main thread; returns at once and never fails
// (silent without an audio output).
class AlertSound {
public:
    virtual ~AlertSound() = default;
    virtual void play() = 0;
    // Silences it now, if it is still sounding.
    virtual void stop() = 0;
};

}
