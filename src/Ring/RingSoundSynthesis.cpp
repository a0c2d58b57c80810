#include "Ring/RingSoundSynthesis.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace Quickhalo::RingSoundSynthesis {

namespace {
constexpr double rate = sampleRate;
constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr std::size_t whooshFrames = 7938;
constexpr std::size_t tickFrames = 1543;
constexpr std::size_t confirmFrames = 5292;
}

Noise randomNoise()
{
    auto generator = std::make_shared<std::mt19937>(std::random_device {}());
    return [generator] { return std::uniform_real_distribution<double>(-1.0, 1.0)(*generator); };
}

std::vector<float> whoosh(const Noise& noise)
{
    std::vector<float> samples(whooshFrames);
    const double n = static_cast<double>(whooshFrames);
    double lowPassed = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double index = static_cast<double>(i);
        const double u = index / n;
        const double attack = std::sin(std::min(u / 0.3, 1.0) * std::numbers::pi / 2.0);
        // The filter opens as the sound goes on.
        lowPassed += (noise() - lowPassed) * (u * 0.25 + 0.04);
        const double tone = std::sin(twoPi * 95.0 * index / rate) * std::exp(-9.0 * u);
        const double fade = (1.0 - u) * (1.0 - u);
        samples[i] = static_cast<float>((tone * 0.35 + lowPassed * 0.55) * fade * attack * 0.5);
    }
    return samples;
}

std::vector<float> tick(const Noise& noise)
{
    std::vector<float> samples(tickFrames);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double a = std::sin(twoPi * 1550.0 * t) * std::exp(-160.0 * t) * 0.45;
        const double b = std::sin(twoPi * 420.0 * t) * std::exp(-90.0 * t) * 0.35;
        const double click = t < 0.003 ? (1.0 - t / 0.003) * noise() * 0.25 : 0.0;
        samples[i] = static_cast<float>((a + b + click) * 0.32);
    }
    return samples;
}

std::vector<float> confirm()
{
    std::vector<float> samples(confirmFrames);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double first = t < 0.05 ? std::sin(twoPi * 660.0 * t) * std::exp(-40.0 * t) : 0.0;
        // The second note starts 10 ms before the first ends.
        const double second = t >= 0.04 ? std::sin(twoPi * 990.0 * (t - 0.04)) * std::exp(-35.0 * (t - 0.04)) : 0.0;
        const double ramp = std::min(t / 0.004, 1.0);
        samples[i] = static_cast<float>(ramp * (first + second) * 0.22);
    }
    return samples;
}

std::size_t frameCount(RingSound sound)
{
    switch (sound) {
    case RingSound::open:
        return whooshFrames;
    case RingSound::tick:
        return tickFrames;
    case RingSound::select:
        return confirmFrames;
    }
    return 0;
}

std::vector<float> synthesise(RingSound sound, const Noise& noise)
{
    switch (sound) {
    case RingSound::open:
        return whoosh(noise);
    case RingSound::tick:
        return tick(noise);
    case RingSound::select:
        return confirm();
    }
    return {};
}

}
