#include "Ring/RingPanel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

#include "Base/Preferences.h"
#include "Base/ScreenCoordinates.h"
#include "Config/ConfigStore.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeMotionPreference.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Platform/X11/X11ClickWatcher.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Ring/FakeRingServices.h"
#include "Ring/RingBackdrop.h"
#include "Ring/RingController.h"
#include "support/DesktopTestSupport.h"
#include "support/MigrationsDone.h"
#include "support/TemporaryFolder.h"

using namespace Quickhalo;
using namespace Quickhalo::Testing;
using State = RingController::State;

namespace {

const QPoint screenCentre(960, 540);

// Three full rings of shell slices, each slice naming its ring and slot.
QuickhaloConfig threeRings()
{
    QuickhaloConfig config;
    for (int ring = 0; ring < 3; ++ring) {
        RingPage page { QUuid::createUuid(), QStringLiteral("R%1").arg(ring), {} };
        for (std::size_t slot = 0; slot < RingPage::slotCount; ++slot) {
            const QString title = QStringLiteral("r%1s%2").arg(ring).arg(slot);
            page.slices[slot] = Slice { QUuid::createUuid(), title, QStringLiteral("terminal"),
                Actions::Shell { QStringLiteral("echo ") + title } };
        }
        config.rings.push_back(page);
    }
    return config;
}

class PressCounter : public QWidget {
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        event->accept();
    }
};

// Sees the panel window's input before the panel does, without taking any.
class InputSpy final : public QObject {
public:
    int presses = 0;
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<const QKeyEvent*>(event)->key();
            // xdotool reaches the keypad's digits through Num Lock.
            if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta
                && key != Qt::Key_NumLock)
                ++keys;
        }
        return false;
    }
};

// Stands in for the ring view: fills the panel and has a hub button in the middle, 160 wide.
class TestView final : public PressCounter {
public:
    explicit TestView(QWidget* parent)
        : PressCounter(parent)
        , hub(new PressCounter(this))
    {
        hub->setGeometry(RingPanel::panelSize / 2 - 80, RingPanel::panelSize / 2 - 80, 160, 160);
    }
    PressCounter* hub;
};

class RingPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    }

    RingPanelTest()
    {
        panel.setController(&controller);
        backdrop.setRingWindow(&panel);
        movePointer(screenCentre);
    }
    ~RingPanelTest() override { controller.close(); }

    // The ring centre in Qt's y-down screen points.
    QPoint centreOnScreen() const
    {
        return ScreenCoordinates::toYDown(controller.origin(), virtualDesktopHeight()).toPoint();
    }
    // A point `distance` from the ring centre towards compass angle `degrees`, on screen.
    QPoint towards(double degrees, double distance) const
    {
        const double radians = degrees * std::numbers::pi / 180.0;
        return centreOnScreen() + QPointF(distance * std::sin(radians), -distance * std::cos(radians)).toPoint();
    }
    // Waits for the panel on screen, and puts the spy on its window.
    bool panelIsShown()
    {
        // Filters run newest first: the spy's goes in after the panel's own.
        panel.windowHandle()->installEventFilter(&spy);
        return waitUntil([this] { return readWindow(panel.winId()).isViewable; });
    }
    // Clicks and lets the click watcher see the press before the pointer moves on: it asks
    // where the pointer is when it handles the press.
    void clickWatched(QPoint at, int button = 1)
    {
        const int before = rawPresses.presses;
        clickAt(at, button);
        EXPECT_TRUE(waitUntil([&] { return rawPresses.presses > before; })) << "the watcher saw no press";
        QTest::qWait(50); // what the watcher queued runs
    }
    void pinAndWaitForKeyboard()
    {
        controller.openPinned();
        ASSERT_EQ(controller.state(), State::sticky);
        ASSERT_TRUE(panelIsShown());
        ASSERT_TRUE(waitUntil([this] { return panel.isKeyWindow(); })) << "the pinned ring did not get the keyboard";
    }
    const Slice& slice(int ring, int slot) const
    {
        return *store.config().rings[static_cast<std::size_t>(ring)].slices[static_cast<std::size_t>(slot)];
    }

    TemporaryFolder m_folder;
    Preferences preferences { m_folder.filePath(QStringLiteral("prefs.conf")) };
    ConfigStore store { m_folder.path(), Testing::migrated(preferences), [] { return threeRings(); } };

    FakeJournal journal;
    FakeRingSounds sounds { journal };
    FakeVolumeControl volume { journal };
    FakeNowPlaying nowPlaying { journal };
    FakeActionExecutor actions { journal };
    FakeFrontmostApplication frontmost;
    FakeClock clock;
    FakeMotionPreference motion;
    QtPointerLocation pointer;
    X11WindowSystemInfo windowSystem;
    X11ClickWatcher clickWatcher;
    X11ScreenLayout screens;

    InputSpy spy;
    RawPressSpy rawPresses;
    QPointer<TestView> view;
    RingPanel panel { [this](QWidget* parent) -> QWidget* {
                         view = new TestView(parent);
                         return view;
                     },
        windowSystem, clickWatcher, pointer, screens };
    RingBackdrop backdrop { preferences, windowSystem, motion, screens };
    RingController controller { store,
        RingControllerServices { panel, backdrop, sounds, volume, nowPlaying, actions, frontmost, pointer, clock } };
};

}

TEST(RingPanelClamp, KeepsTheCentreInsideFramesLargeEnoughToClampIn)
{
    struct Case {
        const char* name;
        QPointF centre;
        QRectF frame;
        QPointF expected;
    } cases[] = {
        { "inside", { 700, 400 }, { 0, 0, 1440, 900 }, { 700, 400 } },
        { "near the left edge", { 50, 400 }, { 0, 0, 1440, 900 }, { 176, 400 } },
        { "past the top right corner", { 1500, 950 }, { 0, 0, 1440, 900 }, { 1264, 724 } },
        { "frame not at the origin", { 1930, 60 }, { 1920, 40, 1280, 984 }, { 2096, 216 } },
        { "frame 300 high: no vertical clamping", { 20, 10 }, { 0, 0, 1440, 300 }, { 176, 10 } },
        { "frame 352 wide: no horizontal clamping", { 5, 10 }, { 0, 0, 352, 900 }, { 5, 176 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RingPanel::clampIntoFrame(c.centre, c.frame), c.expected);
    }
}

TEST_F(RingPanelTest, PresentClampsIntoTheWorkAreaAndMovesThePointerOnlyWhenItFollowedIt)
{
    const double height = virtualDesktopHeight();
    ASSERT_EQ(height, 1080) << "the test desktop is one 1920 x 1080 screen";
    struct Case {
        const char* name;
        QPoint pointer; // y down
        std::optional<QPointF> centre; // y up
        QPointF expectedCentre; // y up
        QPoint expectedPointer; // y down
    } cases[] = {
        { "at the pointer, 50 from the left edge", { 50, 540 }, std::nullopt, { 176, 540 }, { 176, 540 } },
        { "at the pointer, in the middle", { 900, 300 }, std::nullopt, { 900, 780 }, { 900, 300 } },
        { "explicit centre near the bottom left corner", { 900, 300 }, QPointF(30, 80), { 176, 176 }, { 900, 300 } },
        { "explicit centre near the top right corner", { 900, 300 }, QPointF(1900, 1070), { 1744, 904 }, { 900, 300 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        movePointer(c.pointer);
        controller.open(false, c.centre, std::nullopt);
        EXPECT_EQ(controller.origin(), c.expectedCentre);
        EXPECT_EQ(pointerPosition(), c.expectedPointer);

        // Read back from the X server: the window is exactly where it was put.
        const QPoint centreYDown = ScreenCoordinates::toYDown(c.expectedCentre, height).toPoint();
        const QRect expected(centreYDown - QPoint(280, 280), QSize(560, 560));
        EXPECT_TRUE(waitUntil([&] { return readWindow(panel.winId()).geometry == expected; }))
            << "window at " << readWindow(panel.winId()).geometry.x() << "," << readWindow(panel.winId()).geometry.y();
        EXPECT_EQ(panel.geometry(), expected);
        controller.close();
        EXPECT_FALSE(panel.isVisible());
    }
}

TEST_F(RingPanelTest, FloatsAboveAFullScreenWindowAndTakesTheKeyboardOnlyWhenPinned)
{
    // A focused full-screen window sits in the window manager's topmost layer.
    OtherApplicationWindow other(QRect(1300, 100, 480, 340), OtherApplicationWindow::Size::fullScreen);
    ASSERT_TRUE(waitUntil([&] {
        return windowProperty(other.id(), QStringLiteral("_NET_WM_STATE"))
            .contains(QStringLiteral("_NET_WM_STATE_FULLSCREEN"));
    })) << "not full screen";

    auto isAboveOther = [&] {
        const QList<WId> stack = rootStackingOrder();
        return stack.indexOf(topLevelAncestor(panel.winId())) > stack.indexOf(topLevelAncestor(other.id()));
    };
    // Shown twice: the second time right after hiding, when Qt's focus bookkeeping lags.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        controller.hotkeyPressed();
        ASSERT_EQ(controller.state(), State::holding);
        ASSERT_TRUE(panelIsShown());
        EXPECT_TRUE(isAboveOther());

        // The other application keeps the keyboard while the ring is held.
        QTest::qWait(100);
        EXPECT_EQ(activeWindow(), other.id());
        EXPECT_FALSE(panel.isKeyWindow());
        EXPECT_FALSE(panel.isApplicationActive());

        // A tap pins the ring: now it has the keyboard and the application is active.
        controller.hotkeyReleased();
        ASSERT_EQ(controller.state(), State::sticky);
        EXPECT_TRUE(waitUntil([&] { return panel.isKeyWindow() && panel.isApplicationActive(); }));
        EXPECT_TRUE(isAboveOther());

        // Closed, the keyboard goes back to where it was: where the chosen action acts.
        controller.close();
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == other.id() && !panel.isApplicationActive(); }));
    }
}

TEST_F(RingPanelTest, ShowsOnEveryDesktop)
{
    const auto switchToDesktop = [](int desktop) {
        runTool(QStringLiteral("wmctrl"), { QStringLiteral("-s"), QString::number(desktop) });
        return waitUntil([desktop] {
            return runTool(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_CURRENT_DESKTOP") })
                .contains(QStringLiteral("= %1").arg(desktop));
        });
    };
    controller.openPinned();
    ASSERT_TRUE(panelIsShown());
    ASSERT_TRUE(switchToDesktop(2));
    QTest::qWait(100); // the window manager hides the other desktop's windows
    EXPECT_TRUE(readWindow(panel.winId()).isViewable);
    EXPECT_TRUE(switchToDesktop(0));
}

TEST_F(RingPanelTest, IsRoundAndOpaqueWithoutACompositorAndTranslucentWithOne)
{
    // The backdrop would dim what shows through the translucent ring.
    preferences.setFlag(PreferenceKey::ringBackdrop, false);
    const QColor magenta(255, 0, 255);
    TargetWindow under(QRect(600, 200, 720, 680), magenta);
    under.show();
    ASSERT_TRUE(waitUntil([&] { return isNear(screenPixel(QPoint(610, 210)), magenta); }));

    auto present = [&] {
        controller.open(false, QPointF(960, 540), std::nullopt);
        EXPECT_TRUE(panelIsShown());
    };
    present();
    // Screen points at the panel's corner, just inside and just outside the ring's edge.
    const QPoint corner = centreOnScreen() - QPoint(270, 270);
    const QPoint insideEdge = towards(45, 174);
    const QPoint outsideEdge = towards(45, 190);
    EXPECT_FALSE(panel.isTranslucent());
    WindowReading reading = readWindow(panel.winId());
    EXPECT_EQ(reading.depth, 24);
    ASSERT_TRUE(reading.boundingShape.has_value()) << "no window shape";
    EXPECT_EQ(*reading.boundingShape, QRect(100, 100, 360, 360));
    // Windows paint in their own time: wait for the screen to settle into the round ring.
    const auto pixelsAre = [&](std::initializer_list<std::pair<QPoint, bool>> expectations) {
        return waitUntil([&] {
            return std::all_of(expectations.begin(), expectations.end(),
                [&](const auto& expected) { return isNear(screenPixel(expected.first), magenta) == expected.second; });
        });
    };
    EXPECT_TRUE(
        pixelsAre({ { centreOnScreen(), false }, { insideEdge, false }, { outsideEdge, true }, { corner, true } }))
        << "no round opaque ring; outside its edge: " << screenPixel(outsideEdge).name().toStdString();
    controller.close();

    {
        Compositor compositor;
        present();
        EXPECT_TRUE(panel.isTranslucent());
        reading = readWindow(panel.winId());
        EXPECT_EQ(reading.depth, 32);
        EXPECT_FALSE(reading.boundingShape.has_value()) << "the shape would clip the translucent window";
        // The test view paints nothing: everything under the panel shows through.
        EXPECT_TRUE(pixelsAre({ { centreOnScreen(), true }, { corner, true } }));
        controller.close();
    }

    // The compositor has gone: the next ring is opaque and round again.
    present();
    EXPECT_FALSE(panel.isTranslucent());
    reading = readWindow(panel.winId());
    EXPECT_EQ(reading.depth, 24);
    EXPECT_TRUE(reading.boundingShape.has_value());
}

TEST_F(RingPanelTest, ShapeMakesRoomForTheVolumeFlyout)
{
    // Slot 2 of the first ring becomes the volume slice; its flyout band reaches radius 236.
    QuickhaloConfig config = store.config();
    config.rings[0].slices[2] = Slice::forTool(BuiltinTool::volume);
    store.setConfig(config);

    controller.hotkeyPressed();
    ASSERT_TRUE(panelIsShown());
    const QPoint bandMiddle(280 + 211, 280); // east of the centre, in window coordinates
    EXPECT_FALSE(panel.mask().contains(bandMiddle));

    movePointer(towards(90, 170));
    clock.advance(0.2);
    ASSERT_TRUE(controller.flyout().has_value()) << "the flyout did not open";
    EXPECT_TRUE(panel.mask().contains(bandMiddle));
    EXPECT_TRUE(panel.mask().contains(QPoint(280 + 236, 280)));
    EXPECT_FALSE(panel.mask().contains(QPoint(280 - 211, 280))) << "only the flyout's side grows";

    movePointer(towards(90, 100));
    clock.advance(0.05);
    ASSERT_FALSE(controller.flyout().has_value());
    EXPECT_FALSE(panel.mask().contains(bandMiddle));
}

TEST_F(RingPanelTest, LeftPressesGoToTheControllerFirstAndOnlyHubPressesReachTheView)
{
    struct Case {
        const char* name;
        bool pinned;
        double angle;
        double distance;
        State expectedState;
        std::optional<int> expectedSlot; // the slot of the first ring that runs
        int expectedHubPresses;
    } cases[] = {
        { "holding, in the hub: pins, and the hub button gets the press", false, 270, 69, State::sticky, std::nullopt,
            1 },
        { "holding, outside the hub: taken, nothing happens", false, 90, 100, State::holding, std::nullopt, 0 },
        { "pinned, in the hub: the hub button gets the press", true, 270, 69, State::sticky, std::nullopt, 1 },
        { "pinned, 71 out, in the dead zone: taken, nothing runs", true, 270, 71, State::sticky, std::nullopt, 0 },
        { "pinned, on a slot: runs it", true, 135, 100, State::closed, 3, 0 },
        { "pinned, on another slot: runs it", true, 0, 150, State::closed, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        movePointer(screenCentre);
        if (c.pinned) {
            pinAndWaitForKeyboard();
        } else {
            controller.hotkeyPressed();
            ASSERT_TRUE(panelIsShown());
        }
        ASSERT_TRUE(view);
        const QPointer<TestView> shown = view;
        spy.presses = 0;

        clickAt(towards(c.angle, c.distance));
        ASSERT_TRUE(waitUntil([&] { return spy.presses == 1; })) << "the press did not reach the panel";
        EXPECT_EQ(controller.state(), c.expectedState);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->hub->presses, c.expectedHubPresses);
        EXPECT_EQ(shown->presses, 0) << "a press outside the hub went on to the view";

        clock.runLater();
        if (c.expectedSlot) {
            ASSERT_EQ(actions.ran.size(), 1u);
            EXPECT_EQ(actions.ran.front(), slice(0, *c.expectedSlot).kind);
        } else {
            EXPECT_TRUE(actions.ran.empty());
        }
        actions.ran.clear();
        controller.close();
    }
}

TEST_F(RingPanelTest, KeysReachTheControllerWithTheirTextWithoutModifiers)
{
    struct Case {
        const char* keys;
        State expectedState;
        std::optional<int> expectedSlot;
        int expectedRing;
    } cases[] = {
        { "Escape", State::closed, std::nullopt, 0 }, { "3", State::closed, 2, 0 }, { "KP_5", State::closed, 4, 0 },
        { "ctrl+7", State::closed, 6, 0 }, { "Right", State::sticky, std::nullopt, 1 },
        { "x", State::sticky, std::nullopt, 0 }, // not used: a beep, and the ring stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        controller.switchRing(-controller.currentRing());
        pinAndWaitForKeyboard();
        spy.keys = 0;
        xdotool({ QStringLiteral("key"), QLatin1String(c.keys) });
        ASSERT_TRUE(waitUntil([&] { return spy.keys == 1; })) << "the key did not reach the panel";
        EXPECT_EQ(controller.state(), c.expectedState);
        EXPECT_EQ(controller.currentRing(), c.expectedRing);
        clock.runLater();
        if (c.expectedSlot) {
            ASSERT_EQ(actions.ran.size(), 1u);
            EXPECT_EQ(actions.ran.front(), slice(0, *c.expectedSlot).kind);
        } else {
            EXPECT_TRUE(actions.ran.empty());
        }
        actions.ran.clear();
        controller.close();
    }
}

TEST_F(RingPanelTest, TheWheelSwitchesRingsInItsDirection)
{
    pinAndWaitForKeyboard();
    ASSERT_EQ(controller.currentRing(), 0);
    struct Step {
        int button;
        int expectedRing;
    } steps[] = { { 5, 1 }, { 5, 2 }, { 4, 1 }, { 4, 0 }, { 4, 2 } };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.expectedRing);
        clock.advance(0.3); // past the switch debounce
        xdotool({ QStringLiteral("click"), QString::number(step.button) });
        EXPECT_TRUE(waitUntil([&] { return controller.currentRing() == step.expectedRing; }));
    }
    EXPECT_EQ(controller.state(), State::sticky);
}

TEST_F(RingPanelTest, APressOutsideTheApplicationClosesAPinnedRing)
{
    OtherApplicationWindow other(QRect(1300, 100, 480, 340));
    TargetWindow ownWindow(QRect(100, 760, 300, 200), Qt::gray);
    ownWindow.show();
    ASSERT_TRUE(waitUntil([&] { return readWindow(ownWindow.winId()).isViewable; }));
    const QPoint onOther = other.geometry().center();

    struct Case {
        const char* name;
        QPoint at;
        int button;
        bool closes;
    } cases[] = {
        { "left on another application", onOther, 1, true },
        { "right on another application", onOther, 3, true },
        { "middle on another application", onOther, 2, false },
        { "left on the application's own window", ownWindow.geometry().center(), 1, false },
        { "left beside the round ring, inside its square window", QPoint(960 - 270, 540 - 270), 1, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        movePointer(screenCentre);
        pinAndWaitForKeyboard();
        ASSERT_FALSE(panel.isTranslucent()) << "the last case needs the round window";
        clickWatched(c.at, c.button);
        EXPECT_EQ(controller.state(), c.closes ? State::closed : State::sticky);
        EXPECT_TRUE(actions.ran.empty());
        controller.close();
    }
}

TEST_F(RingPanelTest, ClickWatcherCallsOncePerPressAndNotAfterItStops)
{
    OtherApplicationWindow other(QRect(1300, 100, 480, 340));
    TargetWindow ownWindow(QRect(100, 760, 300, 200), Qt::gray);
    ownWindow.show();
    // An input-transparent window of ours, as the backdrop is, does not make a press ours.
    QWidget overlay(
        nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput);
    overlay.setGeometry(0, 0, 1920, 1080);
    overlay.show();
    ASSERT_TRUE(
        waitUntil([&] { return readWindow(overlay.winId()).isViewable && readWindow(ownWindow.winId()).isViewable; }));

    int calls = 0;
    ASSERT_TRUE(clickWatcher.start([&] { ++calls; }));
    EXPECT_TRUE(clickWatcher.isWatching());
    const QPoint onOther = other.geometry().center();
    for (int press = 1; press <= 3; ++press) {
        clickWatched(onOther);
        EXPECT_EQ(calls, press);
    }

    clickWatcher.stop();
    EXPECT_FALSE(clickWatcher.isWatching());
    clickAt(onOther);
    // Nothing is selected any more; a press on our own window shows when the events are through.
    clickAt(ownWindow.geometry().center());
    EXPECT_TRUE(waitUntil([&] { return ownWindow.presses == 1; }));
    QTest::qWait(50);
    EXPECT_EQ(calls, 3);
}
