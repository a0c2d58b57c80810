#include "System/SystemVolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Fake/FakeAudioOutputDevice.h"

using namespace Quickhalo;

namespace {

class SystemVolumeTest : public ::testing::Test {
protected:
    SystemVolumeTest()
    {
        QObject::connect(&volume, &VolumeControl::changed, [this] { ++changes; });
    }

    FakeAudioOutputDevice device;
    SystemVolume volume { device };
    int changes = 0;
};

}

TEST_F(SystemVolumeTest, NothingIsAdjustableUntilTheServerHasReported)
{
    EXPECT_TRUE(device.isStarted());
    EXPECT_FALSE(volume.isAdjustable());
    volume.setLevel(0.7f);
    volume.setMuted(true);
    EXPECT_TRUE(device.writtenVolumes.empty());
    EXPECT_TRUE(device.writtenMutes.empty());
    EXPECT_EQ(volume.level(), 0.0f);
    EXPECT_FALSE(volume.isMuted());
    EXPECT_EQ(changes, 0);

    device.reportOutput(0.25f, true);
    EXPECT_TRUE(volume.isAdjustable());
    EXPECT_EQ(volume.level(), 0.25f);
    EXPECT_TRUE(volume.isMuted());
    EXPECT_EQ(changes, 1);
    device.reportOutput(0.25f, true);
    EXPECT_EQ(changes, 1) << "a reading that changes nothing is not announced";
}

TEST_F(SystemVolumeTest, RefreshOnlyAsksTheDevice)
{
    device.reportOutput(0.4f, false);
    volume.refresh();
    volume.refresh();
    EXPECT_EQ(device.updateRequests, 2);
    EXPECT_EQ(volume.level(), 0.4f);
    device.reportOutput(0.6f, false);
    EXPECT_EQ(volume.level(), 0.6f);
}

TEST_F(SystemVolumeTest, WritesOnlyStepsOfAHundredthExceptToTheEnds)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const struct Case {
        const char* name;
        float reported; // the server's volume before the calls
        std::vector<float> calls;
        std::vector<float> written;
        float levelAfter;
    } cases[] = {
        { "above the top is clamped", 0.3f, { 1.4f }, { 1.0f }, 1.0f },
        { "below the bottom is clamped", 0.3f, { -0.2f }, { 0.0f }, 0.0f },
        { "a step under a hundredth is skipped", 0.3f, { 0.50f, 0.505f }, { 0.50f }, 0.50f },
        { "the step counts from the last write, not the last call", 0.3f, { 0.50f, 0.509f, 0.511f }, { 0.50f, 0.511f },
            0.511f },
        { "the top is always reached", 0.3f, { 0.995f, 1.0f }, { 0.995f, 1.0f }, 1.0f },
        { "silence is always reached", 0.3f, { 0.005f, 0.0f }, { 0.005f, 0.0f }, 0.0f },
        { "an end already in force is not written again", 0.0f, { 0.0f, 0.005f }, {}, 0.0f },
        { "the reading counts as written", 0.3f, { 0.3f, 0.305f, 0.295f }, {}, 0.3f },
        { "an amplified output is left alone at the top", 1.3f, { 1.0f, 1.2f }, {}, 1.0f },
        { "an amplified output goes down from the top", 1.3f, { 0.95f }, { 0.95f }, 0.95f },
        { "not a number is ignored", 0.5f, { nan }, {}, 0.5f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioOutputDevice fresh;
        SystemVolume model(fresh);
        fresh.reportOutput(c.reported, false);
        for (const float call : c.calls) {
            model.setLevel(call);
            const float inForce
                = fresh.writtenVolumes.empty() ? std::min(c.reported, 1.0f) : fresh.writtenVolumes.back();
            EXPECT_EQ(model.level(), inForce) << "right after the call the level is the one in force";
        }
        EXPECT_EQ(fresh.writtenVolumes, c.written);
        EXPECT_EQ(model.level(), c.levelAfter);
        EXPECT_TRUE(fresh.writtenMutes.empty());
    }
}

TEST_F(SystemVolumeTest, TheServersReadingReplacesTheLastWrite)
{
    device.reportOutput(0.3f, false);
    volume.setLevel(0.5f);
    device.reportOutput(0.2f, false); // changed elsewhere
    EXPECT_EQ(volume.level(), 0.2f);
    volume.setLevel(0.205f);
    volume.setLevel(0.5f);
    EXPECT_EQ(device.writtenVolumes, (std::vector<float> { 0.5f, 0.5f }));
}

TEST_F(SystemVolumeTest, MovingTheLevelUnmutes)
{
    device.reportOutput(0.3f, true);
    changes = 0;

    volume.setLevel(0.305f);
    EXPECT_TRUE(device.writtenMutes.empty()) << "a skipped step changes nothing, mute included";
    EXPECT_TRUE(volume.isMuted());

    volume.setLevel(0.6f);
    EXPECT_EQ(device.writtenVolumes, std::vector<float> { 0.6f });
    EXPECT_EQ(device.writtenMutes, std::vector<bool> { false });
    EXPECT_FALSE(volume.isMuted());
    EXPECT_EQ(changes, 1);

    volume.setLevel(0.7f);
    EXPECT_EQ(device.writtenMutes.size(), 1u) << "an unmuted output is not unmuted again";
}

TEST_F(SystemVolumeTest, MuteIsWrittenAndInForceAtOnce)
{
    device.reportOutput(0.5f, false);
    changes = 0;
    volume.setMuted(true);
    EXPECT_TRUE(volume.isMuted());
    EXPECT_EQ(changes, 1);
    volume.setMuted(false);
    EXPECT_FALSE(volume.isMuted());
    EXPECT_EQ(device.writtenMutes, (std::vector<bool> { true, false }));
    EXPECT_EQ(volume.level(), 0.5f) << "muting leaves the level";
    EXPECT_TRUE(device.writtenVolumes.empty());
}

TEST_F(SystemVolumeTest, WithoutAnOutputNothingIsWrittenAndTheLastReadingsStay)
{
    device.reportOutput(0.4f, true);
    device.reportNoOutput();
    EXPECT_FALSE(volume.isAdjustable());
    EXPECT_EQ(volume.level(), 0.4f);
    EXPECT_TRUE(volume.isMuted());
    changes = 0;

    volume.setLevel(0.8f);
    volume.setLevel(1.0f);
    volume.setMuted(false);
    EXPECT_TRUE(device.writtenVolumes.empty());
    EXPECT_TRUE(device.writtenMutes.empty());
    EXPECT_EQ(volume.level(), 0.4f);
    EXPECT_TRUE(volume.isMuted());
    EXPECT_EQ(changes, 0);

    // The server comes back with another volume: that is the one the step counts from.
    device.reportOutput(0.7f, false);
    EXPECT_TRUE(volume.isAdjustable());
    volume.setLevel(0.705f);
    volume.setLevel(0.75f);
    EXPECT_EQ(device.writtenVolumes, std::vector<float> { 0.75f });
}

TEST(SystemVolumeLifetime, TheSharedInstanceFollowsTheDeviceUntilReleased)
{
    FakeAudioOutputDevice device;
    SystemVolume::setSharedFactory([&device] { return std::make_unique<SystemVolume>(device); });
    SystemVolume& shared = SystemVolume::shared();
    EXPECT_EQ(&shared, &SystemVolume::shared());
    EXPECT_EQ(device.starts, 1);
    device.reportOutput(0.5f, false);
    EXPECT_EQ(shared.level(), 0.5f);

    SystemVolume::releaseShared();
    EXPECT_EQ(device.stops, 1);
    EXPECT_FALSE(device.isStarted()) << "no reading reaches a model that is gone";
    SystemVolume::setSharedFactory(nullptr);
}
