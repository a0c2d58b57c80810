#include "Ring/RingController.h"

#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Platform/Fake/FakeClock.h"
#include "Ring/FakeRingServices.h"
#include "support/MigrationsDone.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace Quickhalo;
using State = RingController::State;

namespace {

Slice shell(const QString& title)
{
    return Slice { QUuid::createUuid(), title, QStringLiteral("terminal"),
        Actions::Shell { QStringLiteral("echo ") + title } };
}

// Ring "A": 0 shell, 1 empty, 2 volume, 3 shell, 4..7 shells except 6 empty. Ring "B": all shells.
QuickhaloConfig testConfig()
{
    RingPage a { QUuid::createUuid(), QStringLiteral("A"), {} };
    for (const int slot : { 0, 3, 4, 5, 7 })
        a.slices[static_cast<std::size_t>(slot)] = shell(QStringLiteral("a%1").arg(slot));
    a.slices[2] = Slice::forTool(BuiltinTool::volume);
    RingPage b { QUuid::createUuid(), QStringLiteral("B"), {} };
    for (std::size_t slot = 0; slot < 8; ++slot)
        b.slices[slot] = shell(QStringLiteral("b%1").arg(slot));
    return QuickhaloConfig { { a, b } };
}

class RingControllerTest : public ::testing::Test, protected FakeRingServiceSet {
protected:
    RingControllerTest() { pointer.position = m_start; }

    // A point `distance` from the ring's centre towards `slot` (y up, as the pointer reports it).
    QPointF towards(double slotAngle, double distance) const
    {
        const double radians = slotAngle * std::numbers::pi / 180.0;
        return controller.origin() + QPointF(distance * std::sin(radians), distance * std::cos(radians));
    }
    void pointAt(int slot, double distance = 120) { pointer.position = towards(slot * 45.0, distance); }
    void pointAtAngle(double angle, double distance) { pointer.position = towards(angle, distance); }
    void wait(double seconds) { clock.advance(seconds); }

    const Slice& slotOf(int ring, int slot) const
    {
        return *store.config().rings[static_cast<std::size_t>(ring)].slices[static_cast<std::size_t>(slot)];
    }

    void pin()
    {
        controller.hotkeyPressed();
        wait(0.1);
        controller.hotkeyReleased();
        ASSERT_EQ(controller.state(), State::sticky);
    }

    Testing::TemporaryFolder m_folder;
    Preferences m_preferences { m_folder.filePath(QStringLiteral("prefs.conf")) };
    ConfigStore store { m_folder.path(), Testing::migrated(m_preferences), [] { return testConfig(); } };
    const QPointF m_start { 1000, 500 };

    FakeClock clock;
    RingController controller { store,
        RingControllerServices { window, backdrop, sounds, volume, nowPlaying, actions, frontmost, pointer, clock } };
};

}

TEST_F(RingControllerTest, HoldMoveReleaseRunsTheSlotOnceAfterTheRingHasClosed)
{
    controller.hotkeyPressed();
    EXPECT_EQ(controller.state(), State::holding);
    EXPECT_EQ(controller.origin(), m_start);
    EXPECT_TRUE(window.isVisible && backdrop.isVisible && nowPlaying.isPolling);
    EXPECT_EQ(sounds.count(RingSound::open), 1);

    pointAt(3);
    wait(2.0 / 60.0);
    EXPECT_EQ(controller.highlighted(), 3);
    EXPECT_EQ(sounds.count(RingSound::tick), 1);

    State stateWhenRun = State::holding;
    bool windowVisibleWhenRun = true;
    actions.onRun = [&](const ActionKind&) {
        stateWhenRun = controller.state();
        windowVisibleWhenRun = window.isVisible;
    };
    controller.hotkeyReleased();
    EXPECT_EQ(controller.state(), State::closed);
    EXPECT_TRUE(actions.ran.empty()) << "the action waits for the next turn of the event loop";
    EXPECT_EQ(sounds.count(RingSound::select), 1);
    EXPECT_LT(journal.indexOf(QStringLiteral("sound.select")), journal.indexOf(QStringLiteral("window.orderOut")));
    EXPECT_FALSE(backdrop.isVisible || nowPlaying.isPolling);
    EXPECT_EQ(clock.activeTimers(), 0u) << "the poll stops with the ring";

    EXPECT_EQ(clock.runLater(), 1);
    ASSERT_EQ(actions.ran.size(), 1u);
    EXPECT_EQ(actions.ran[0], slotOf(0, 3).kind);
    EXPECT_EQ(stateWhenRun, State::closed);
    EXPECT_FALSE(windowVisibleWhenRun);
    EXPECT_EQ(controller.lastSliceId(), slotOf(0, 3).id);
}

TEST_F(RingControllerTest, ActionsGetTheTargetAndOriginOfTheRingThatRanThem)
{
    frontmost.front = TargetApplication { 77, 12, QStringLiteral("Mousepad") };
    controller.hotkeyPressed();
    const QPointF origin = controller.origin();
    pointAt(3);
    wait(2.0 / 60.0);
    frontmost.front = TargetApplication { 78, 13, QStringLiteral("Other") };
    controller.hotkeyReleased();
    clock.runLater();
    ASSERT_EQ(actions.contexts.size(), 1u);
    EXPECT_EQ(actions.contexts[0], (ActionContext { TargetApplication { 77, 12, QStringLiteral("Mousepad") }, origin }))
        << "what was in front when the ring opened, not when the action runs";
}

TEST_F(RingControllerTest, TheWindowsToolReopensTheRingWithThePositionsWhereItWas)
{
    QuickhaloConfig config = store.config();
    config.rings[0].slices[1] = Slice::forTool(BuiltinTool::windows);
    store.setConfig(config);
    frontmost.front = TargetApplication { 77, 12, QStringLiteral("Mousepad") };
    controller.hotkeyPressed();
    const QPointF origin = controller.origin();
    pointAt(1);
    wait(2.0 / 60.0);
    controller.hotkeyReleased();
    EXPECT_EQ(controller.state(), State::closed);
    clock.runLater();

    EXPECT_TRUE(actions.ran.empty()) << "opening the positions is navigation, not an action";
    ASSERT_EQ(controller.state(), State::sticky);
    const std::optional<RingPage>& page = controller.transientPage();
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->name, QStringLiteral("Windows"));
    EXPECT_EQ(controller.origin(), origin);
    for (std::size_t slot = 0; slot < RingPage::slotCount; ++slot) {
        ASSERT_TRUE(page->slices[slot].has_value());
        EXPECT_EQ(page->slices[slot]->kind, ActionKind { Actions::Snap { WindowPositions::all()[slot] } });
    }
    EXPECT_EQ(page->slices[0]->title, QStringLiteral("Maximise"));

    // Choosing a position snaps the window the first ring was opened over.
    pointAt(6);
    wait(2.0 / 60.0);
    controller.handleClick();
    clock.runLater();
    ASSERT_EQ(actions.ran.size(), 1u);
    EXPECT_EQ(actions.ran[0], ActionKind { Actions::Snap { WindowPositions::all()[6] } });
    EXPECT_EQ(actions.contexts[0].target, (TargetApplication { 77, 12, QStringLiteral("Mousepad") }));
}

TEST_F(RingControllerTest, ReleaseOverTheHubDependsOnHowLongItWasHeld)
{
    struct Case {
        double held;
        State expected;
    } cases[] = { { 0.1, State::sticky }, { 0.249, State::sticky }, { 0.25, State::closed }, { 1.0, State::closed } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held);
        controller.close();
        pointer.position = m_start;
        controller.hotkeyPressed();
        wait(c.held);
        controller.hotkeyReleased();
        EXPECT_EQ(controller.state(), c.expected);
        EXPECT_EQ(sounds.count(RingSound::select), 0);
    }
    EXPECT_EQ(clock.runLater(), 0);
    EXPECT_TRUE(actions.ran.empty());
}

TEST_F(RingControllerTest, TapPinsTheRingAndEscapeClosesIt)
{
    pin();
    EXPECT_TRUE(window.isKey);
    EXPECT_TRUE(window.isActive);
    EXPECT_TRUE(window.clickOutsideHandler != nullptr);

    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Escape, QString()));
    EXPECT_EQ(controller.state(), State::closed);
    EXPECT_FALSE(window.isVisible);
    EXPECT_TRUE(window.clickOutsideHandler == nullptr);
}

TEST_F(RingControllerTest, PinnedRingClosesOnAClickOutsideAndOnAThirdPress)
{
    pin();
    window.clickOutsideHandler();
    EXPECT_EQ(controller.state(), State::closed);

    pin();
    window.isKey = false; // the user clicked another window
    controller.hotkeyPressed();
    EXPECT_EQ(controller.state(), State::sticky) << "a press first brings the ring back";
    EXPECT_TRUE(window.isKey);
    controller.hotkeyPressed();
    EXPECT_EQ(controller.state(), State::closed);
}

TEST_F(RingControllerTest, ArrowKeysSurviveAStillPointerUntilItMovesHalfAPoint)
{
    pin();
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Up, QString()));
    EXPECT_EQ(controller.highlighted(), 7) << "Up with nothing highlighted";
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Down, QString()));
    EXPECT_EQ(controller.highlighted(), 0) << "Down from 7 wraps";
    controller.handleKeyDown(Qt::Key_Down, QString());
    EXPECT_EQ(controller.highlighted(), 1) << "empty slots are not skipped";

    pointer.position = m_start + QPointF(0.49, 0);
    wait(0.5);
    EXPECT_EQ(controller.highlighted(), 1) << "a still pointer leaves the keys' highlight alone";

    pointer.position = m_start + QPointF(0.5, 0);
    wait(1.0 / 60.0);
    EXPECT_EQ(controller.highlighted(), std::nullopt) << "the pointer (in the hub) takes over";

    controller.close();
    pointer.position = m_start;
    pin();
    controller.handleKeyDown(Qt::Key_Down, QString());
    EXPECT_EQ(controller.highlighted(), 0) << "Down with nothing highlighted";
}

TEST_F(RingControllerTest, DigitsRunTheirSlot)
{
    struct Case {
        const char* text;
        bool handled;
        std::optional<int> slot;
    } cases[] = {
        { "4", true, 3 },
        { "+3", true, 2 },
        { "1", true, 0 },
        { "8", true, 7 },
        { "0", false, {} },
        { "9", false, {} },
        { "-1", false, {} },
        { "12", false, {} },
        { "+", false, {} },
        { "x", false, {} },
        { "", false, {} },
        { " 3", false, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        controller.close();
        volume.muted = false;
        pin();
        actions.ran.clear();
        EXPECT_EQ(controller.handleKeyDown(Qt::Key_unknown, QString::fromUtf8(c.text)), c.handled);
        clock.runLater();
        if (!c.slot) {
            EXPECT_EQ(controller.state(), State::sticky);
            EXPECT_TRUE(actions.ran.empty());
        } else if (*c.slot == 2) {
            // A pinned ring's volume slot toggles mute and stays open.
            EXPECT_EQ(controller.state(), State::sticky);
            EXPECT_TRUE(volume.muted);
            EXPECT_EQ(controller.lastSliceId(), slotOf(0, 2).id);
        } else {
            EXPECT_EQ(controller.state(), State::closed);
            ASSERT_EQ(actions.ran.size(), 1u);
            EXPECT_EQ(actions.ran[0], slotOf(0, *c.slot).kind);
        }
    }
    // An empty slot only closes.
    controller.close();
    pin();
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_unknown, QStringLiteral("2")));
    EXPECT_EQ(controller.state(), State::closed);
    EXPECT_EQ(clock.runLater(), 0);
}

TEST_F(RingControllerTest, KeysAreIgnoredUnlessPinned)
{
    controller.hotkeyPressed();
    EXPECT_FALSE(controller.handleKeyDown(Qt::Key_Escape, QString()));
    EXPECT_EQ(controller.state(), State::holding);
    controller.close();
    EXPECT_FALSE(controller.handleKeyDown(Qt::Key_Return, QString()));
}

TEST_F(RingControllerTest, SpacePlaysOrPausesAndKeepsTheRingOpen)
{
    pin();
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_EQ(journal.count(QStringLiteral("nowPlaying.playPause")), 1);
    EXPECT_EQ(controller.state(), State::sticky);
}

TEST_F(RingControllerTest, LineScrollingSwitchesRingsWithDebounce)
{
    pin();
    const int ticksBefore = sounds.count(RingSound::tick);
    controller.handleScroll(0, 1, false); // up: previous ring, wrapping to the last
    EXPECT_EQ(controller.currentRing(), 1);

    for (int i = 0; i < 3; ++i) {
        wait(0.05);
        controller.handleScroll(0, 1, false);
    }
    EXPECT_EQ(controller.currentRing(), 1) << "within 0.2 s of a switch nothing switches";

    wait(0.06); // 0.21 s after the switch
    controller.handleScroll(0, -0.5, false); // the accumulator still holds 3 - 0.5
    EXPECT_EQ(controller.currentRing(), 0);
    EXPECT_EQ(sounds.count(RingSound::tick) - ticksBefore, 2);

    wait(0.3);
    controller.handleScroll(0, -0.6, false);
    EXPECT_EQ(controller.currentRing(), 0) << "below one line";
    controller.handleScroll(-0.7, -0.4, false); // the larger axis counts: -0.6 - 0.7
    EXPECT_EQ(controller.currentRing(), 1) << "down: next ring";
}

TEST_F(RingControllerTest, PreciseScrollingNeedsTwentyFourPoints)
{
    pin();
    controller.handleScroll(0, -10, true);
    controller.handleScroll(0, -10, true);
    EXPECT_EQ(controller.currentRing(), 0);
    controller.handleScroll(0, -4, true);
    EXPECT_EQ(controller.currentRing(), 1);
}

TEST_F(RingControllerTest, OneRingOrATransientPageDoesNotSwitch)
{
    QuickhaloConfig single = store.config();
    single.rings.pop_back();
    store.setConfig(single);
    pin();
    const int ticks = sounds.count(RingSound::tick);
    controller.handleScroll(0, 5, false);
    controller.handleKeyDown(Qt::Key_Right, QString());
    EXPECT_EQ(controller.currentRing(), 0);

    store.setConfig(testConfig());
    RingPage page { QUuid::createUuid(), QStringLiteral("Windows"), {} };
    page.slices[0] = Slice::forPosition(WindowPosition::leftHalf);
    controller.openTransient(page, QPointF(300, 300));
    EXPECT_EQ(controller.state(), State::sticky);
    EXPECT_EQ(controller.origin(), QPointF(300, 300));
    EXPECT_EQ(controller.currentSlices()[0]->kind, ActionKind(Actions::Snap { WindowPosition::leftHalf }));
    controller.handleScroll(0, 5, false);
    controller.handleKeyDown(Qt::Key_Left, QString());
    EXPECT_EQ(controller.currentRing(), 0);
    EXPECT_EQ(sounds.count(RingSound::tick), ticks);
    EXPECT_EQ(sounds.count(RingSound::open), 1) << "a transient page opens silently";
    controller.close();
    EXPECT_FALSE(controller.transientPage().has_value());
}

TEST_F(RingControllerTest, FlyoutOpensAfterTheDwellAndArmsAfterTwoDegrees)
{
    volume.currentLevel = 0.3f;
    controller.hotkeyPressed();
    pointAt(2, 160);
    wait(0.1);
    EXPECT_EQ(controller.highlighted(), 2);
    EXPECT_FALSE(controller.flyout()) << "before the 0.15 s dwell";
    wait(0.1);
    ASSERT_TRUE(controller.flyout());
    EXPECT_EQ(controller.flyout()->sliceIndex, 2);
    EXPECT_FLOAT_EQ(controller.flyout()->level, 0.3f);
    EXPECT_TRUE(volume.writtenLevels.empty());

    pointAtAngle(90 - 1.5, 170); // 1.5 degrees: not armed yet
    wait(1.0 / 60.0);
    EXPECT_TRUE(volume.writtenLevels.empty());
    EXPECT_FLOAT_EQ(controller.flyout()->level, 0.3f);

    // Slot 2's loud side is anticlockwise; 10 degrees towards it is level 0.5.
    pointAtAngle(90 - 10, 170);
    wait(1.0 / 60.0);
    ASSERT_EQ(volume.writtenLevels.size(), 1u);
    EXPECT_NEAR(volume.writtenLevels[0], 0.5f, 1e-6);
    EXPECT_NEAR(controller.flyout()->level, 0.5f, 1e-6);

    pointAtAngle(90 - 10, 140); // still beyond the keep-open distance
    wait(1.0 / 60.0);
    EXPECT_TRUE(controller.flyout());
    pointAt(2, 130);
    wait(1.0 / 60.0);
    EXPECT_FALSE(controller.flyout());
    EXPECT_EQ(controller.highlighted(), 2) << "normal highlighting resumes";
}

TEST_F(RingControllerTest, FlyoutNeedsAnAdjustableOutputAndDistance)
{
    struct Case {
        const char* name;
        bool adjustable;
        double distance;
        int slot;
    } cases[] = {
        { "too close", true, 149, 2 },
        { "not adjustable", false, 160, 2 },
        { "not a volume slot", true, 160, 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        controller.close();
        volume.adjustable = c.adjustable;
        pointer.position = m_start;
        controller.hotkeyPressed();
        pointAt(c.slot, c.distance);
        wait(0.5);
        EXPECT_FALSE(controller.flyout());
        EXPECT_EQ(controller.highlighted(), c.slot);
    }
}

TEST_F(RingControllerTest, ReleasingInTheMuteZoneMutesAndRemembersTheVolumeSlot)
{
    volume.currentLevel = 0.6f;
    controller.hotkeyPressed();
    pointAt(2, 170);
    wait(0.2);
    ASSERT_TRUE(controller.flyout());
    pointAtAngle(90 + 25, 170); // 25 degrees to the quiet side: mute zone
    wait(1.0 / 60.0);
    EXPECT_TRUE(controller.flyout()->inMuteZone);
    EXPECT_TRUE(volume.writtenLevels.empty()) << "the mute zone never changes the level";

    controller.hotkeyReleased();
    EXPECT_TRUE(volume.muted);
    EXPECT_FLOAT_EQ(volume.currentLevel, 0.6f);
    EXPECT_EQ(controller.state(), State::closed);
    EXPECT_EQ(controller.lastSliceId(), slotOf(0, 2).id);
    EXPECT_EQ(clock.runLater(), 0) << "no action runs";
    EXPECT_EQ(sounds.count(RingSound::select), 0);
}

TEST_F(RingControllerTest, PinnedFlyoutOpensAtOnceAndAClickArmsAndApplies)
{
    volume.currentLevel = 0.2f;
    pin();
    pointAt(2, 170);
    wait(1.0 / 60.0);
    ASSERT_TRUE(controller.flyout()) << "no dwell while pinned";
    EXPECT_TRUE(volume.writtenLevels.empty());

    // Without turning, a click arms the slider: the slot's own angle is a third of the range.
    controller.handleClick();
    EXPECT_NEAR(volume.currentLevel, 1.0f / 3.0f, 1e-6);
    EXPECT_EQ(controller.state(), State::sticky);
    EXPECT_EQ(controller.lastSliceId(), slotOf(0, 2).id);

    pointAtAngle(90 + 30, 170);
    wait(1.0 / 60.0);
    ASSERT_TRUE(controller.flyout()->inMuteZone);
    controller.handleClick();
    EXPECT_TRUE(volume.muted) << "a click in the mute zone toggles mute";
    controller.handleClick();
    EXPECT_FALSE(volume.muted);
}

TEST_F(RingControllerTest, VolumeScrollingOverTheVolumeSlot)
{
    volume.currentLevel = 0.5f;
    pin();
    pointAt(2, 100);
    wait(1.0 / 60.0);
    controller.handleScroll(0, 2, false);
    EXPECT_NEAR(volume.currentLevel, 0.54f, 1e-6);
    controller.handleScroll(0, -20, true);
    EXPECT_NEAR(volume.currentLevel, 0.50f, 1e-6);
    EXPECT_EQ(controller.currentRing(), 0);

    volume.adjustable = false; // then the wheel switches rings instead
    controller.handleScroll(0, -1, false);
    EXPECT_EQ(controller.currentRing(), 1);
}

TEST_F(RingControllerTest, SlowTouchpadScrollingStillMovesTheVolume)
{
    // Each event alone is under the volume's 0.01 step; together they are not.
    volume.currentLevel = 0.5f;
    pin();
    pointAt(2, 100);
    wait(1.0 / 60.0);
    for (int event = 0; event < 20; ++event)
        controller.handleScroll(0, 2, true);
    EXPECT_NEAR(volume.currentLevel, 0.58f, 0.0101f) << "within one volume step of the sum";

    volume.currentLevel = 0.2f; // moved by the keyboard's volume keys meanwhile
    controller.handleScroll(0, 6, true);
    EXPECT_NEAR(volume.currentLevel, 0.212f, 1e-6) << "starts again from the level in force";
}

TEST_F(RingControllerTest, ReturnRepeatsTheLastSliceAsItIsNow)
{
    pin();
    controller.handleKeyDown(Qt::Key_unknown, QStringLiteral("4"));
    clock.runLater();
    const Slice original = slotOf(0, 3);

    // Edited in settings: the edited form runs.
    QuickhaloConfig edited = store.config();
    edited.rings[0].slices[3]->kind = Actions::Shell { QStringLiteral("echo edited") };
    store.setConfig(edited);
    pin();
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Return, QString()));
    clock.runLater();
    EXPECT_EQ(actions.ran.back(), ActionKind(Actions::Shell { QStringLiteral("echo edited") }));

    // Deleted from every ring: the remembered copy runs.
    QuickhaloConfig deleted = store.config();
    deleted.rings[0].slices[3].reset();
    store.setConfig(deleted);
    pin();
    controller.handleKeyDown(Qt::Key_Enter, QString());
    clock.runLater();
    EXPECT_EQ(actions.ran.back(), ActionKind(Actions::Shell { QStringLiteral("echo edited") }));
    EXPECT_EQ(controller.lastSliceId(), original.id);
}

TEST_F(RingControllerTest, ReturnWithNothingToRepeatCloses)
{
    pin();
    EXPECT_TRUE(controller.handleKeyDown(Qt::Key_Return, QString()));
    EXPECT_EQ(controller.state(), State::closed);
    EXPECT_EQ(clock.runLater(), 0);
}

TEST_F(RingControllerTest, TargetApplicationIsNeverQuickhaloItself)
{
    const TargetApplication editor { 0x400001, 777, QStringLiteral("Gedit") };
    frontmost.front = editor;
    controller.openPinned();
    EXPECT_EQ(controller.targetApp(), editor);

    frontmost.front = TargetApplication { 0x600002, frontmost.ownPid, QStringLiteral("quickhalo") };
    controller.openPinned(); // reopening while the ring itself is in front
    EXPECT_EQ(controller.targetApp(), editor);

    frontmost.front.reset();
    controller.openPinned();
    EXPECT_EQ(controller.targetApp(), editor);

    const TargetApplication noPid { 0x700003, 0, QStringLiteral("Unknown") };
    frontmost.front = noPid;
    controller.openPinned();
    EXPECT_EQ(controller.targetApp(), noPid);
}

TEST_F(RingControllerTest, OpeningResetsAnOutOfRangeRing)
{
    pin();
    controller.switchRing(+1);
    EXPECT_EQ(controller.currentRing(), 1);
    controller.close();
    QuickhaloConfig single = store.config();
    single.rings.pop_back();
    store.setConfig(single);
    EXPECT_FALSE(controller.currentSlices()[0].has_value()) << "an invalid ring shows eight empty slots";
    pin();
    EXPECT_EQ(controller.currentRing(), 0);
}
