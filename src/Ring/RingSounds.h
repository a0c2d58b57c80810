#pragma once

#include <array>
#include <memory>
#include <vector>

#include "Base/SharedInstance.h"
#include "Ring/RingServices.h"
#include "Ring/RingSoundSynthesis.h"

namespace Quickhalo {

class Clock;
class Preferences;
class RepeatingTimer;
class SoundOutput;

// The ring's open, tick and select sounds: synthesised once, each played on its own voice of the
// output, which starts with the first sound and stops after `idleStopSeconds` without one.
class RingSounds final : public RingSoundPlayer, public Shared<RingSounds> {
public:
    static constexpr double idleStopSeconds = 3.0;

    RingSounds(Preferences& preferences, SoundOutput& output, Clock& clock,
        const RingSoundSynthesis::Noise& noise = RingSoundSynthesis::randomNoise());
    ~RingSounds() override;


    // Silent when the "ringSounds" preference is off or the output cannot start.
    void play(RingSound sound) override;

    const std::vector<float>& buffer(RingSound sound) const;
    static int voice(RingSound sound) { return static_cast<int>(sound); }

private:
    Preferences& m_preferences;
    SoundOutput& m_output;
    Clock& m_clock;
    std::array<std::vector<float>, 3> m_buffers;
    std::unique_ptr<RepeatingTimer> m_idleStop;
};

}
