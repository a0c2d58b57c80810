#include "System/GlassSound.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <gtest/gtest.h>

#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeSoundOutput.h"

using namespace Quickhalo;

namespace {
double energy(std::vector<float>::const_iterator begin, std::vector<float>::const_iterator end)
{
    return std::accumulate(begin, end, 0.0, [](double sum, float sample) {
        const auto value = static_cast<double>(sample);
        return sum + value * value;
    });
}
}

TEST(GlassSound, RingsOutWithoutClicks)
{
    const std::vector<float> samples = GlassSound::synthesise();
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(GlassSound::durationSeconds * SoundOutput::sampleRate));
    float loudest = 0;
    for (const float sample : samples)
        loudest = std::max(loudest, std::abs(sample));
    EXPECT_NEAR(loudest, 0.5F, 1e-4F);
    EXPECT_LT(std::abs(samples.front()), 0.01F);
    EXPECT_LT(std::abs(samples.back()), 0.01F);
    const auto tenth = static_cast<std::ptrdiff_t>(samples.size() / 10);
    EXPECT_LT(energy(samples.end() - tenth, samples.end()), energy(samples.begin(), samples.begin() + tenth) / 100)
        << "it dies away";
}

TEST(GlassSound, PlaysOnItsOutputAndStopsItWhenIdle)
{
    FakeSoundOutput output;
    FakeClock clock;
    GlassSound sound(output, clock);

    sound.play();
    clock.advance(2.0);
    sound.play(); // the idle time starts again
    ASSERT_EQ(output.played.size(), 2U);
    EXPECT_EQ(output.starts, 1);
    EXPECT_TRUE(output.played[1].whileRunning);
    EXPECT_EQ(output.played[1].samples, sound.samples());
    clock.advance(GlassSound::idleStopSeconds - 0.01);
    EXPECT_EQ(output.stops, 0);
    clock.advance(0.02);
    EXPECT_EQ(output.stops, 1);
    EXPECT_FALSE(output.running);
    EXPECT_EQ(clock.activeTimers(), 0U);

    output.startSucceeds = false;
    sound.play();
    EXPECT_EQ(output.played.size(), 2U) << "nothing to play on";
    EXPECT_EQ(clock.activeTimers(), 0U);
}
