#include "Ring/RingScene.h"

#include "Ring/SliceBadgeProvider.h"
#include "RingFixture.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {
class RingSceneTest : public ::testing::Test, protected Testing::RingFixture {
protected:
    RingScene scene(RingGlassStyle style = RingGlassStyle::clear) const
    {
        const SliceBadgeProvider badges(badgeSources);
        return makeRingScene({ controller, volume, nowPlaying, badges, style });
    }
};
}

TEST_F(RingSceneTest, GlassTintFollowsStyleAndArtwork)
{
    struct Case {
        RingGlassStyle style;
        bool artwork;
        double tint;
    } cases[] = {
        { RingGlassStyle::clear, false, 0.05 }, { RingGlassStyle::clear, true, 0.15 },
        { RingGlassStyle::light, false, 0.15 }, { RingGlassStyle::light, true, 0.25 },
        { RingGlassStyle::dark, false, 0.35 }, { RingGlassStyle::dark, true, 0.45 },
    };
    for (const auto& c : cases) {
        nowPlaying.setTrack(c.artwork ? std::optional<NowPlayingTrack>(NowPlayingTrack { QStringLiteral("Song"),
                                            QStringLiteral("Band"), true, QStringLiteral("/tmp/cover.png") })
                                      : std::nullopt);
        EXPECT_DOUBLE_EQ(scene(c.style).tintOpacity, c.tint) << RingGlassStyles::rawValue(c.style).toStdString() << c.artwork;
    }
}

TEST_F(RingSceneTest, SlotsShowSymbolsLiveVolumeBadgesAndOverrides)
{
    controller.openPinned();
    volume.currentLevel = 0.5f;
    badgeSources.setOpenTodoCount(3);
    badgeSources.setVoiceMemoState(VoiceMemoState::recording);
    const RingScene shown = scene();

    EXPECT_EQ(shown.slots[0].symbol, QStringLiteral("note.text"));
    EXPECT_FALSE(shown.slots[1].isFilled);
    EXPECT_FALSE(shown.slots[6].isFilled || shown.slots[7].isFilled);
    EXPECT_TRUE(shown.slots[2].isVolume);
    EXPECT_EQ(shown.slots[2].symbol, QStringLiteral("speaker.wave.2.fill")) << "the live symbol, not the stored one";
    EXPECT_EQ(shown.slots[3].badge, QStringLiteral("3"));
    EXPECT_EQ(shown.slots[4].symbol, QStringLiteral("stop.circle.fill"));
    EXPECT_EQ(shown.slots[4].symbolColour, SliceBadgeProvider::recordingRed);
    EXPECT_FALSE(shown.slots[5].badge.has_value());

    volume.setMuted(true);
    EXPECT_EQ(scene().slots[2].symbol, QStringLiteral("speaker.slash.fill"));
}

TEST_F(RingSceneTest, CentreShowsTitleVolumeTextOrTheHub)
{
    controller.hotkeyPressed();
    EXPECT_EQ(scene().centre, RingScene::Centre::hub);

    pointAt(1); // an empty slot: highlighted, but the hub stays
    EXPECT_EQ(scene().highlighted, 1);
    EXPECT_EQ(scene().centre, RingScene::Centre::hub);

    pointAt(0);
    EXPECT_EQ(scene().centre, RingScene::Centre::sliceTitle);
    EXPECT_EQ(scene().centreTitle, QStringLiteral("Notes"));

    pointAt(2);
    EXPECT_EQ(scene().centre, RingScene::Centre::volume);
    EXPECT_EQ(scene().centreTitle, QStringLiteral("Volume"));
    EXPECT_EQ(scene().centreDetail, QString::fromUtf8("Release to mute \xC2\xB7 push out for slider"));
    volume.adjustable = false;
    EXPECT_EQ(scene().centreDetail, QStringLiteral("No volume control"));
}

TEST_F(RingSceneTest, RepeatHelpNamesTheLastSlice)
{
    controller.openPinned();
    EXPECT_FALSE(scene().canRepeat);
    EXPECT_EQ(scene().repeatHelp, QStringLiteral("Nothing to repeat"));
    controller.handleKeyDown(Qt::Key_unknown, QStringLiteral("1"));
    clock.runLater();
    EXPECT_TRUE(scene().canRepeat);
    EXPECT_EQ(scene().repeatHelp, QStringLiteral("Repeat: Notes"));
}

TEST_F(RingSceneTest, AStillPointerLeavesTheSceneUnchanged)
{
    controller.hotkeyPressed();
    pointAt(3);
    const RingScene before = scene();
    clock.advance(1.0);
    EXPECT_EQ(scene(), before);
    pointAt(5);
    EXPECT_NE(scene(), before);
}
