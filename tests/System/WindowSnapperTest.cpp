#include "System/WindowSnapper.h"

#include <gtest/gtest.h>

#include <ostream>
#include <thread>

#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeScreenLayout.h"
#include "Platform/Fake/FakeWindowMover.h"
#include "support/RecordingToasts.h"

QT_BEGIN_NAMESPACE
void PrintTo(const QRectF& rect, std::ostream* out)
{
    *out << '(' << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ')';
}
void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << '(' << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ')';
}
QT_END_NAMESPACE

using namespace Quickhalo;
using Quickhalo::Testing::warning;

namespace {

using P = WindowPosition;

// y up throughout.
struct FrameCase {
    QRectF visible;
    WindowPosition position;
    QRectF expected;
};

const FrameCase frameCases[] = {
    { { 0, 0, 1200, 800 }, P::maximize, { 0, 0, 1200, 800 } },
    { { 0, 0, 1200, 800 }, P::topRight, { 600, 400, 600, 400 } },
    { { 0, 0, 1200, 800 }, P::rightHalf, { 600, 0, 600, 800 } },
    { { 0, 0, 1200, 800 }, P::bottomRight, { 600, 0, 600, 400 } },
    { { 0, 0, 1200, 800 }, P::centre, { 200, 100, 800, 600 } },
    { { 0, 0, 1200, 800 }, P::bottomLeft, { 0, 0, 600, 400 } },
    { { 0, 0, 1200, 800 }, P::leftHalf, { 0, 0, 600, 800 } },
    { { 0, 0, 1200, 800 }, P::topLeft, { 0, 400, 600, 400 } },
    // Odd sizes on a screen away from the origin: halves of a pixel stay until the window system.
    { { 1920, 37, 1281, 721 }, P::maximize, { 1920, 37, 1281, 721 } },
    { { 1920, 37, 1281, 721 }, P::topRight, { 2560.5, 397.5, 640.5, 360.5 } },
    { { 1920, 37, 1281, 721 }, P::rightHalf, { 2560.5, 37, 640.5, 721 } },
    { { 1920, 37, 1281, 721 }, P::bottomRight, { 2560.5, 37, 640.5, 360.5 } },
    { { 1920, 37, 1281, 721 }, P::centre, { 2133.5, 127.125, 854, 540.75 } },
    { { 1920, 37, 1281, 721 }, P::bottomLeft, { 1920, 37, 640.5, 360.5 } },
    { { 1920, 37, 1281, 721 }, P::leftHalf, { 1920, 37, 640.5, 721 } },
    { { 1920, 37, 1281, 721 }, P::topLeft, { 1920, 397.5, 640.5, 360.5 } },
};

TEST(WindowSnapperFrame, PlacesEachPositionInsideTheVisibleFrame)
{
    for (const FrameCase& c : frameCases) {
        SCOPED_TRACE(WindowPositions::rawValue(c.position).toStdString());
        EXPECT_EQ(WindowSnapper::frame(c.position, c.visible), c.expected);
    }
}

// Two screens in the window system's pixels (y down): a primary with a 30-pixel panel along its
// top, and an odd-sized one to its right, lower down and not as tall.
const ScreenArea primary { { 0, 0, 1920, 1080 }, { 0, 30, 1920, 1050 } };
const ScreenArea secondary { { 1920, 200, 1281, 721 }, { 1920, 200, 1281, 721 } };
constexpr quint64 windowId = 0x1c00007;

class WindowSnapperTest : public ::testing::Test {
protected:
    WindowSnapperTest() { screens.list = { primary, secondary }; }

    FakeWindowMover::Window& window(const QRect& frame)
    {
        FakeWindowMover::Window& added = mover.windows[windowId];
        added.frame = frame;
        return added;
    }
    QRect frameNow() const { return mover.windows.at(windowId).frame; }
    static QString moveTo(const QRect& r)
    {
        return QStringLiteral("move %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

    FakeWindowMover mover;
    FakeScreenLayout screens;
    FakeAccessibility accessibility;
    Testing::RecordingToasts toasts;
    WindowSnapper snapper { mover, screens, accessibility, toasts };
    TargetApplication target { windowId, 4321, QStringLiteral("XTerm") };
};

struct SnapCase {
    QRect start; // decides the screen
    WindowPosition position;
    QRect expected; // y down; top means small y
};

const SnapCase snapCases[] = {
    { { 100, 100, 400, 300 }, P::maximize, { 0, 30, 1920, 1050 } },
    { { 100, 100, 400, 300 }, P::topRight, { 960, 30, 960, 525 } },
    { { 100, 100, 400, 300 }, P::rightHalf, { 960, 30, 960, 1050 } },
    { { 100, 100, 400, 300 }, P::bottomRight, { 960, 555, 960, 525 } },
    { { 100, 100, 400, 300 }, P::centre, { 320, 161, 1280, 788 } },
    { { 100, 100, 400, 300 }, P::bottomLeft, { 0, 555, 960, 525 } },
    { { 100, 100, 400, 300 }, P::leftHalf, { 0, 30, 960, 1050 } },
    { { 100, 100, 400, 300 }, P::topLeft, { 0, 30, 960, 525 } },
    // Edges are rounded, not origins and sizes, so that neighbours still meet: 641 + 640.
    { { 2000, 300, 400, 300 }, P::maximize, { 1920, 200, 1281, 721 } },
    { { 2000, 300, 400, 300 }, P::topRight, { 2561, 200, 640, 361 } },
    { { 2000, 300, 400, 300 }, P::rightHalf, { 2561, 200, 640, 721 } },
    { { 2000, 300, 400, 300 }, P::bottomRight, { 2561, 561, 640, 360 } },
    { { 2000, 300, 400, 300 }, P::centre, { 2134, 290, 854, 541 } },
    { { 2000, 300, 400, 300 }, P::bottomLeft, { 1920, 561, 641, 360 } },
    { { 2000, 300, 400, 300 }, P::leftHalf, { 1920, 200, 641, 721 } },
    { { 2000, 300, 400, 300 }, P::topLeft, { 1920, 200, 641, 361 } },
};

TEST_F(WindowSnapperTest, FillsThePositionsAreaOfTheWorkAreaOfTheWindowsScreen)
{
    for (const SnapCase& c : snapCases) {
        SCOPED_TRACE(WindowPositions::rawValue(c.position).toStdString());
        window(c.start);
        mover.calls.clear();
        EXPECT_TRUE(snapper.snap(c.position, target));
        EXPECT_EQ(frameNow(), c.expected);
        EXPECT_EQ(mover.calls, QStringList({ QStringLiteral("leave"), moveTo(c.expected) }));
    }
    EXPECT_EQ(toasts.shown, QStringList());
}

struct ScreenCase {
    const char* name;
    QRect start;
    QRect expected; // the maximised frame, i.e. the chosen screen's work area
};

TEST_F(WindowSnapperTest, ChoosesTheScreenByTheWindowsCentre)
{
    const ScreenCase cases[] = {
        // More of it is on the primary, but the centre decides.
        { "centre on the secondary", { 1000, 100, 2000, 900 }, secondary.workArea },
        // On the edge between the two, the screen to the right has it.
        { "centre on the shared edge", { 1820, 400, 200, 100 }, secondary.workArea },
        // Below the secondary's bottom edge: on no screen; the screen showing most of it has it.
        { "centre on no screen", { 1800, 850, 1200, 200 }, secondary.workArea },
        { "window off every screen", { 3300, 0, 200, 100 }, primary.workArea },
    };
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.name);
        window(c.start);
        EXPECT_TRUE(snapper.snap(P::maximize, target));
        EXPECT_EQ(frameNow(), c.expected);
    }
}

TEST_F(WindowSnapperTest, LeavesMaximisedAndFullScreenFirstButKeepsTheScreenTheWindowFilled)
{
    for (const bool fullScreen : { false, true }) {
        SCOPED_TRACE(fullScreen ? "full screen" : "maximised");
        mover.calls.clear();
        FakeWindowMover::Window& filling = window(fullScreen ? secondary.frame : secondary.workArea);
        filling.maximised = !fullScreen;
        filling.fullScreen = fullScreen;
        filling.restoredFrame = QRect(100, 100, 400, 300); // back on the primary
        EXPECT_TRUE(snapper.snap(P::leftHalf, target));
        EXPECT_EQ(mover.calls, QStringList({ QStringLiteral("leave"), moveTo({ 1920, 200, 641, 721 }) }));
        EXPECT_FALSE(mover.windows.at(windowId).maximised || mover.windows.at(windowId).fullScreen);
        EXPECT_EQ(frameNow(), QRect(1920, 200, 641, 721));
    }
    EXPECT_EQ(toasts.shown, QStringList());
}

TEST_F(WindowSnapperTest, InTheBackgroundThePlanIsMadeAtOnceAndTheMoveOnTheWorker)
{
    window({ 100, 100, 400, 300 });
    std::thread::id moverThread;
    mover.windows[windowId].place = [&moverThread](const QRect&, const QRect& requested) {
        moverThread = std::this_thread::get_id();
        return requested;
    };
    ASSERT_TRUE(snapper.snapInBackground(P::leftHalf, target));
    snapper.waitForBackgroundSnaps();
    EXPECT_EQ(frameNow(), QRect(0, 30, 960, 1050));
    EXPECT_NE(moverThread, std::this_thread::get_id()) << "the move waits for the window manager off this thread";
    EXPECT_EQ(toasts.shown, QStringList());

    // A snap that ends in planning answers at once and leaves the worker idle.
    accessibility.trusted = false;
    mover.calls.clear();
    EXPECT_FALSE(snapper.snapInBackground(P::rightHalf, target));
    EXPECT_EQ(
        toasts.shown, QStringList { warning(QStringLiteral("Quickhalo needs Accessibility access to move windows")) });
    snapper.waitForBackgroundSnaps();
    EXPECT_EQ(mover.calls, QStringList());
}

TEST_F(WindowSnapperTest, WithoutThePermissionPromptsEveryTimeAndMovesNothing)
{
    window({ 100, 100, 400, 300 });
    accessibility.trusted = false;
    EXPECT_FALSE(snapper.snap(P::leftHalf, target));
    EXPECT_FALSE(snapper.snap(P::leftHalf, target));
    EXPECT_EQ(accessibility.promptCount, 2);
    const QString needed = warning(QStringLiteral("Quickhalo needs Accessibility access to move windows"));
    EXPECT_EQ(toasts.shown, QStringList({ needed, needed }));
    EXPECT_EQ(mover.calls, QStringList());
    EXPECT_EQ(frameNow(), QRect(100, 100, 400, 300));
}

TEST_F(WindowSnapperTest, WithoutAWindowSaysSo)
{
    window({ 100, 100, 400, 300 });
    const std::optional<TargetApplication> targets[] = {
        std::nullopt, TargetApplication { 0, 4321, QStringLiteral("XTerm") },
        TargetApplication { windowId + 1, 4321, QStringLiteral("XTerm") }, // closed since the ring opened
    };
    for (const auto& missing : targets) {
        toasts.shown.clear();
        EXPECT_FALSE(snapper.snap(P::maximize, missing));
        EXPECT_EQ(toasts.shown, QStringList({ warning(QStringLiteral("No window to snap")) }));
    }
    EXPECT_EQ(mover.calls, QStringList());
    EXPECT_EQ(accessibility.promptCount, 0);
}

TEST_F(WindowSnapperTest, WithoutAScreenFailsQuietly)
{
    window({ 100, 100, 400, 300 });
    screens.list.clear();
    EXPECT_FALSE(snapper.snap(P::maximize, target));
    EXPECT_EQ(toasts.shown, QStringList());
    EXPECT_EQ(mover.calls, QStringList());
}

struct AnswerCase {
    const char* name;
    QRect start;
    std::function<QRect(const QRect& current, const QRect& requested)> place;
    bool movable;
    bool expectedResult;
};

TEST_F(WindowSnapperTest, JudgesWhatTheWindowManagerMadeOfTheRequest)
{
    // leftHalf of the primary is (0, 30, 960, 1050).
    const auto keep = [](const QRect& current, const QRect&) { return current; };
    const AnswerCase cases[] = {
        { "fixed size: moved, not resized", { 100, 100, 400, 300 },
            [](const QRect& current, const QRect& requested) { return QRect(requested.topLeft(), current.size()); },
            true, true },
        { "character cells: a little smaller", { 100, 100, 400, 300 },
            [](const QRect&, const QRect& requested) { return requested.adjusted(0, 0, -5, -9); }, true, true },
        { "already there, so nothing changed", { 0, 30, 960, 1050 }, keep, true, true },
        { "as near as it gets already", { 0, 30, 955, 1041 }, keep, true, true },
        { "the request ignored", { 100, 100, 400, 300 }, keep, true, false },
        { "neither movable nor resizable", { 100, 100, 400, 300 }, {}, false, false },
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        toasts.shown.clear();
        FakeWindowMover::Window& added = window(c.start);
        added.place = c.place;
        added.movable = c.movable;
        EXPECT_EQ(snapper.snap(P::leftHalf, target), c.expectedResult);
        EXPECT_EQ(toasts.shown,
            c.expectedResult ? QStringList() : QStringList({ warning(QStringLiteral("This window can't be moved")) }));
    }
}

}
