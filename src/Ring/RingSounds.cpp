#include "Ring/RingSounds.h"

#include "Base/Preferences.h"
#include "Platform/Clock.h"
#include "Platform/SoundOutput.h"

namespace Quickhalo {

namespace {
constexpr std::array allSounds { RingSound::open, RingSound::tick, RingSound::select };

std::size_t slot(RingSound sound)
{
    return static_cast<std::size_t>(sound);
}
}

RingSounds::RingSounds(Preferences& preferences, SoundOutput& output, Clock& clock,
    const RingSoundSynthesis::Noise& noise)
    : m_preferences(preferences)
    , m_output(output)
    , m_clock(clock)
{
    for (const RingSound sound : allSounds)
        m_buffers[slot(sound)] = RingSoundSynthesis::synthesise(sound, noise);
}

RingSounds::~RingSounds() = default;

const std::vector<float>& RingSounds::buffer(RingSound sound) const
{
    return m_buffers[slot(sound)];
}

void RingSounds::play(RingSound sound)
{
    if (!m_preferences.ringSounds())
        return;
    if (!m_output.isRunning() && !m_output.start())
        return;
    m_output.play(voice(sound), buffer(sound));

    // A one-shot delay: the timer drops itself on its first tick.
    m_idleStop = m_clock.startRepeating(idleStopSeconds, [this] {
        m_idleStop.reset();
        m_output.stop();
    });
}

}
