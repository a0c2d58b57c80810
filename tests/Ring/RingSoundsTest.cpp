#include "Ring/RingSounds.h"

#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "Base/Preferences.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeSoundOutput.h"
#include "support/TemporaryFolder.h"

using namespace Quickhalo;

namespace {

constexpr RingSound allSounds[] = { RingSound::open, RingSound::tick, RingSound::select };

class RingSoundsTest : public ::testing::Test {
protected:
    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    FakeSoundOutput output;
    FakeClock clock;
    RingSounds sounds { preferences, output, clock, [] { return 0.5; } };
};

}

TEST_F(RingSoundsTest, SilentWhenTheUserTurnedSoundsOff)
{
    preferences.setFlag(PreferenceKey::ringSounds, false);
    for (const RingSound sound : allSounds)
        sounds.play(sound);
    EXPECT_EQ(output.starts, 0);
    EXPECT_TRUE(output.played.empty());
    EXPECT_EQ(clock.activeTimers(), 0u) << "no idle stop for an output that never started";
}

TEST_F(RingSoundsTest, ThePreferenceIsReadAtEverySound)
{
    sounds.play(RingSound::tick);
    preferences.setFlag(PreferenceKey::ringSounds, false);
    sounds.play(RingSound::tick);
    EXPECT_EQ(output.played.size(), 1u);
    preferences.remove(PreferenceKey::ringSounds); // absent means on
    sounds.play(RingSound::tick);
    EXPECT_EQ(output.played.size(), 2u);
}

TEST_F(RingSoundsTest, FirstSoundStartsTheOutputAndPlaysItsOwnBuffer)
{
    const struct {
        RingSound sound;
        std::size_t frames;
    } cases[] = { { RingSound::open, 7938 }, { RingSound::tick, 1543 }, { RingSound::select, 5292 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.sound));
        FakeSoundOutput fresh;
        RingSounds player(preferences, fresh, clock, [] { return 0.5; });
        player.play(c.sound);
        EXPECT_EQ(fresh.starts, 1);
        ASSERT_EQ(fresh.played.size(), 1u);
        EXPECT_TRUE(fresh.played[0].whileRunning) << "started before playing";
        EXPECT_EQ(fresh.played[0].samples.size(), c.frames);
        EXPECT_EQ(fresh.played[0].samples, RingSoundSynthesis::synthesise(c.sound, [] { return 0.5; }));
    }
}

TEST_F(RingSoundsTest, EachSoundHasItsOwnVoiceAndARepeatRestartsIt)
{
    sounds.play(RingSound::tick);
    sounds.play(RingSound::tick);
    sounds.play(RingSound::open);
    sounds.play(RingSound::select);
    sounds.play(RingSound::tick);

    EXPECT_EQ(output.starts, 1) << "a running output is not started again";
    ASSERT_EQ(output.played.size(), 5u);
    const int tickVoice = output.played[0].voice;
    EXPECT_EQ(output.played[1].voice, tickVoice);
    EXPECT_EQ(output.played[4].voice, tickVoice);
    EXPECT_EQ(output.played[1].samples, output.played[0].samples) << "the whole tick again, from its start";
    const std::set<int> voices { tickVoice, output.played[2].voice, output.played[3].voice };
    EXPECT_EQ(voices.size(), 3u) << "different sounds overlap on different voices";
    for (const auto& played : output.played)
        EXPECT_GE(played.voice, 0);
}

TEST_F(RingSoundsTest, OutputStopsThreeSecondsAfterTheLastSoundAndStartsAgain)
{
    sounds.play(RingSound::open);
    clock.advance(2.0);
    sounds.play(RingSound::tick); // postpones the stop to 5 s
    clock.advance(2.9);
    EXPECT_TRUE(output.running);
    EXPECT_EQ(output.stops, 0);

    clock.advance(0.2);
    EXPECT_FALSE(output.running);
    EXPECT_EQ(output.stops, 1);
    EXPECT_EQ(clock.activeTimers(), 0u) << "the stop happens once";
    clock.advance(10);
    EXPECT_EQ(output.stops, 1);

    sounds.play(RingSound::select);
    EXPECT_EQ(output.starts, 2);
    EXPECT_TRUE(output.played.back().whileRunning);
    clock.advance(3.1);
    EXPECT_EQ(output.stops, 2);
}

TEST_F(RingSoundsTest, AFailingOutputIsSilentAndTriedAgainNextTime)
{
    output.startSucceeds = false;
    for (const RingSound sound : allSounds)
        sounds.play(sound);
    EXPECT_EQ(output.starts, 3);
    EXPECT_TRUE(output.played.empty());
    EXPECT_EQ(clock.activeTimers(), 0u);

    output.startSucceeds = true;
    sounds.play(RingSound::tick);
    ASSERT_EQ(output.played.size(), 1u);
    EXPECT_TRUE(output.played[0].whileRunning);
}

TEST_F(RingSoundsTest, OutputStoppedFromOutsideIsStartedAgain)
{
    sounds.play(RingSound::tick);
    output.stop();
    sounds.play(RingSound::tick);
    EXPECT_EQ(output.starts, 2);
    EXPECT_TRUE(output.played.back().whileRunning);
}

TEST(RingSoundsShared, MadeOnceByTheInstalledFactory)
{
    // The shared instance lives until the process ends, and so must what it refers to.
    static Testing::TemporaryFolder folder;
    static Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
    static FakeSoundOutput output;
    static FakeClock clock;
    int made = 0;
    RingSounds::setSharedFactory([&made] {
        ++made;
        return std::make_unique<RingSounds>(preferences, output, clock);
    });
    RingSounds& first = RingSounds::shared();
    EXPECT_EQ(&RingSounds::shared(), &first);
    EXPECT_EQ(made, 1);
    first.play(RingSound::tick);
    EXPECT_EQ(output.played.size(), 1u);
    RingSounds::setSharedFactory(nullptr); // `made` goes out of scope
}
