#pragma once

#include <memory>
#include <vector>

#include "Platform/AlertSound.h"

namespace Quickhalo {

class Clock;
class RepeatingTimer;
class SoundOutput;

// The alarm sound: a struck glass, synthesised once and played on an output of its own, which
// starts with the sound and stops `idleStopSeconds` after the last one.
class GlassSound final : public AlertSound {
public:
    static constexpr double idleStopSeconds = 3.0;
    static constexpr double durationSeconds = 1.2;

    GlassSound(SoundOutput& output, Clock& clock);
    ~GlassSound() override;

    void play() override;
    void stop() override;

    // Mono samples at SoundOutput::sampleRate, peak 0.5.
    static std::vector<float> synthesise();
    const std::vector<float>& samples() const { return m_samples; }

private:
    SoundOutput& m_output;
    Clock& m_clock;
    std::vector<float> m_samples;
    std::unique_ptr<RepeatingTimer> m_idleStop;
};

}
