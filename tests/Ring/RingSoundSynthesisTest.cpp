#include "Ring/RingSoundSynthesis.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

using namespace Quickhalo;
namespace Synthesis = RingSoundSynthesis;

namespace {

constexpr double pi = std::numbers::pi;
constexpr double rate = 44100.0;

// Repeats a fixed pattern and counts the draws, so a test knows which value each sample got.
struct ScriptedNoise {
    std::vector<double> pattern { 0.9, -0.4, 1.0, -1.0, 0.25, -0.7, 0.0 };
    std::shared_ptr<int> draws = std::make_shared<int>(0);

    double valueOfDraw(int index) const { return pattern[static_cast<std::size_t>(index) % pattern.size()]; }
    Synthesis::Noise noise() const
    {
        return [pattern = pattern, draws = draws] { return pattern[static_cast<std::size_t>((*draws)++) % pattern.size()]; };
    }
};

Synthesis::Noise constantNoise(double value)
{
    return [value] { return value; };
}

Synthesis::Noise seededNoise(unsigned seed)
{
    auto generator = std::make_shared<std::mt19937>(seed);
    return [generator] { return std::uniform_real_distribution<double>(-1.0, 1.0)(*generator); };
}

double expectedTick(int i, double noise)
{
    const double t = i / rate;
    const double a = std::sin(2 * pi * 1550 * t) * std::exp(-160 * t) * 0.45;
    const double b = std::sin(2 * pi * 420 * t) * std::exp(-90 * t) * 0.35;
    const double click = i <= 132 ? (1 - t / 0.003) * noise * 0.25 : 0.0; // 3 ms end after sample 132
    return (a + b + click) * 0.32;
}

double expectedConfirm(int i)
{
    const double t = i / rate;
    const double first = i < 2205 ? std::sin(2 * pi * 660 * t) * std::exp(-40 * t) : 0.0; // 50 ms = 2205 samples
    const double second = i >= 1764 ? std::sin(2 * pi * 990 * (t - 0.04)) * std::exp(-35 * (t - 0.04)) : 0.0; // 40 ms
    return std::min(t / 0.004, 1.0) * (first + second) * 0.22;
}

// The whoosh without noise is its tone alone.
double expectedQuietWhoosh(int i)
{
    const double u = i / 7938.0;
    const double attack = std::sin(std::min(u / 0.3, 1.0) * pi / 2);
    const double tone = std::sin(2 * pi * 95 * i / rate) * std::exp(-9 * u);
    return tone * 0.35 * (1 - u) * (1 - u) * attack * 0.5;
}

double peak(const std::vector<float>& samples)
{
    double largest = 0;
    for (const float sample : samples)
        largest = std::max(largest, std::abs(static_cast<double>(sample)));
    return largest;
}

}

TEST(RingSoundSynthesis, BuffersHaveTheirExactLengths)
{
    const struct {
        RingSound sound;
        std::size_t frames;
    } cases[] = { { RingSound::open, 7938 }, { RingSound::tick, 1543 }, { RingSound::select, 5292 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.sound));
        EXPECT_EQ(Synthesis::frameCount(c.sound), c.frames);
        EXPECT_EQ(Synthesis::synthesise(c.sound, seededNoise(1)).size(), c.frames);
    }
}

TEST(RingSoundSynthesis, EverySampleIsFiniteAndWithinFullScale)
{
    for (const RingSound sound : { RingSound::open, RingSound::tick, RingSound::select }) {
        for (const double noise : { -1.0, 1.0 }) {
            SCOPED_TRACE(testing::Message() << "sound " << static_cast<int>(sound) << " noise " << noise);
            const auto extreme = Synthesis::synthesise(sound, constantNoise(noise));
            const auto random = Synthesis::synthesise(sound, seededNoise(7));
            for (const auto* samples : { &extreme, &random }) {
                EXPECT_TRUE(std::all_of(samples->begin(), samples->end(), [](float s) { return std::isfinite(s); }));
                EXPECT_LE(peak(*samples), 1.0);
            }
        }
    }
}

TEST(RingSoundSynthesis, TickMatchesItsFormulaWithTheClickInTheFirstThreeMilliseconds)
{
    const ScriptedNoise scripted;
    const auto samples = Synthesis::tick(scripted.noise());
    // Across the click (0..132), just after it, and into the tail.
    for (const int i : { 0, 1, 2, 3, 4, 5, 6, 50, 131, 132, 133, 134, 700, 1542 }) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(samples[static_cast<std::size_t>(i)], expectedTick(i, scripted.valueOfDraw(i)), 1e-6);
    }
    EXPECT_NEAR(samples[0], 0.25 * 0.9 * 0.32, 1e-7) << "the first sample is the click alone";
}

TEST(RingSoundSynthesis, TickDrawsFreshNoiseForEveryClickSample)
{
    const auto quiet = Synthesis::tick(constantNoise(0.0));
    const auto loud = Synthesis::tick(constantNoise(1.0));
    const auto random = Synthesis::tick(seededNoise(3));
    // The click's envelope falls from 1 to almost 0, so its last samples carry almost none.
    for (std::size_t i = 0; i < 120; ++i)
        EXPECT_GT(loud[i] - quiet[i], 0.001f) << i;
    for (std::size_t i = 133; i < 1543; ++i)
        EXPECT_EQ(loud[i], quiet[i]) << "no click after 3 ms, sample " << i;
    // Fresh values: a random click is not a scaled copy of a constant one.
    int sameSign = 0;
    for (std::size_t i = 0; i < 120; ++i)
        sameSign += (random[i] - quiet[i] > 0) ? 1 : 0;
    EXPECT_GT(sameSign, 20);
    EXPECT_LT(sameSign, 100);
}

TEST(RingSoundSynthesis, SelectIsTwoOverlappingNotesAfterARamp)
{
    const auto samples = Synthesis::confirm();
    // The ramp (0..176), the first note alone, both notes (1764..2204), the second alone, the end.
    for (const int i : { 0, 1, 88, 176, 177, 1000, 1763, 1764, 1765, 2000, 2204, 2205, 2206, 4000, 5291 }) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(samples[static_cast<std::size_t>(i)], expectedConfirm(i), 1e-6);
    }
    EXPECT_EQ(samples[0], 0.0f);
    EXPECT_EQ(Synthesis::synthesise(RingSound::select, constantNoise(1.0)), samples) << "select uses no noise";
}

TEST(RingSoundSynthesis, OpenWithoutNoiseIsItsDampedTone)
{
    const auto samples = Synthesis::whoosh(constantNoise(0.0));
    for (const int i : { 0, 1, 100, 2381, 2382, 4000, 7937 }) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(samples[static_cast<std::size_t>(i)], expectedQuietWhoosh(i), 1e-7);
    }
}

TEST(RingSoundSynthesis, OpenRisesFromSilenceAndFadesOut)
{
    for (const unsigned seed : { 1u, 2u, 99u }) {
        SCOPED_TRACE(seed);
        const auto samples = Synthesis::whoosh(seededNoise(seed));
        EXPECT_EQ(samples.front(), 0.0f) << "the attack starts at zero";
        EXPECT_LT(std::abs(samples.back()), 1e-7f) << "(1 - u)^2 has reached almost zero";
        // Mixed at 0.9 of full scale and halved; the filtered noise keeps it audible.
        EXPECT_LE(peak(samples), 0.45);
        EXPECT_GT(peak(samples), 0.02);
        // The envelope: the first and last 5 % are quieter than the loudest part.
        const std::vector<float> head(samples.begin(), samples.begin() + 397);
        const std::vector<float> tail(samples.end() - 397, samples.end());
        EXPECT_LT(peak(head), peak(samples));
        EXPECT_LT(peak(tail), peak(samples) / 10);
        // The noise takes part: a different draw gives a different sound.
        EXPECT_NE(samples, Synthesis::whoosh(seededNoise(seed + 1000)));
    }
}

TEST(RingSoundSynthesis, OpenLowPassesItsNoise)
{
    // With noise held at 1 the filter climbs towards 1 step by step instead of jumping there.
    const auto held = Synthesis::whoosh(constantNoise(1.0));
    const auto quiet = Synthesis::whoosh(constantNoise(0.0));
    double lp = 0;
    for (int i = 0; i < 7938; ++i) {
        const double u = i / 7938.0;
        lp += (1.0 - lp) * (u * 0.25 + 0.04);
        if (i == 1 || i == 10 || i == 3000) {
            const double attack = std::sin(std::min(u / 0.3, 1.0) * pi / 2);
            const double noisePart = lp * 0.55 * (1 - u) * (1 - u) * attack * 0.5;
            EXPECT_NEAR(held[static_cast<std::size_t>(i)] - quiet[static_cast<std::size_t>(i)], noisePart, 1e-6) << i;
        }
    }
}

TEST(RingSoundSynthesis, RandomNoiseStaysWithinPlusMinusOne)
{
    const auto noise = Synthesis::randomNoise();
    double low = 1;
    double high = -1;
    for (int i = 0; i < 10000; ++i) {
        const double value = noise();
        ASSERT_GE(value, -1.0);
        ASSERT_LE(value, 1.0);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_LT(low, -0.9);
    EXPECT_GT(high, 0.9);
}
