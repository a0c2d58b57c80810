#include "System/GlassSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Platform/Clock.h"
#include "Platform/SoundOutput.h"

namespace Quickhalo {

namespace {
struct Partial {
    double ratio;
    double amplitude;
    double decay; // per second
};

// A struck glass rings with inharmonic partials, the higher ones dying first.
constexpr double fundamental = 1318.5;
constexpr Partial partials[] = { { 1.0, 1.0, 3.0 }, { 2.32, 0.45, 6.0 }, { 4.25, 0.2, 11.0 }, { 6.8, 0.08, 20.0 } };
constexpr double attackSeconds = 0.002;
constexpr double peak = 0.5;
}

GlassSound::GlassSound(SoundOutput& output, Clock& clock)
    : m_output(output)
    , m_clock(clock)
    , m_samples(synthesise())
{ }

GlassSound::~GlassSound() = default;

std::vector<float> GlassSound::synthesise()
{
    const double rate = SoundOutput::sampleRate;
    const auto frames = static_cast<std::size_t>(durationSeconds * rate);
    std::vector<double> wave(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        double value = 0;
        for (const Partial& partial : partials)
            value += partial.amplitude * std::exp(-partial.decay * t)
                * std::sin(2.0 * std::numbers::pi * fundamental * partial.ratio * t);
        const double attack = std::min(t / attackSeconds, 1.0);
        // The last tenth fades to silence so that the buffer does not end in a click.
        const double tail = std::min((durationSeconds - t) / (durationSeconds * 0.1), 1.0);
        wave[i] = value * attack * tail;
    }
    double loudest = 0;
    for (const double value : wave)
        loudest = std::max(loudest, std::abs(value));
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
        samples[i] = static_cast<float>(wave[i] / loudest * peak);
    return samples;
}

void GlassSound::stop()
{
    m_idleStop.reset();
    m_output.stop();
}

void GlassSound::play()
{
    if (!m_output.isRunning() && !m_output.start())
        return;
    m_output.play(0, m_samples);
    // A one-shot delay: the timer drops itself on its first tick.
    m_idleStop = m_clock.startRepeating(idleStopSeconds, [this] {
        m_idleStop.reset();
        m_output.stop();
    });
}

}
