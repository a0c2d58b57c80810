#include "System/WindowSnapper.h"

#include <array>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QScreen>
#include <QThread>

#include "Platform/X11/WorkArea.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11FrontmostApplication.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowMover.h"
#include "support/DesktopTestSupport.h"
#include "support/RecordingToasts.h"

namespace Quickhalo {
void PrintTo(const ScreenArea& screen, std::ostream* out)
{
    const auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
    };
    *out << "frame " << text(screen.frame) << " work area " << text(screen.workArea);
}
}

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

using P = WindowPosition;

// The Xvfb screen split into two monitors: a primary on the left with a dock along its top, and
// a smaller one to its right, away from the top edge, with a dock along its bottom. Struts count
// from the edges of the whole desktop: the lower dock's reaches 280 pixels up from y = 1080.
const QRect leftMonitor(0, 0, 1200, 1080);
const QRect rightMonitor(1200, 240, 720, 600);
const QRect leftWorkArea(0, 40, 1200, 1040);
const QRect rightWorkArea(1200, 240, 720, 560);
const QRect topDock(0, 0, 1200, 40);
const QRect bottomDock(1200, 800, 720, 40);
const WorkArea::Strut topStrut { WorkArea::Strut::Edge::top, 40, 0, 1199 };
const WorkArea::Strut bottomStrut { WorkArea::Strut::Edge::bottom, 280, 1200, 1919 };

struct Expected {
    WindowPosition position;
    QRect onLeft;
    QRect onRight;
};

// Outer frames, y down.
const Expected expectations[] = {
    { P::maximize, { 0, 40, 1200, 1040 }, { 1200, 240, 720, 560 } },
    { P::topRight, { 600, 40, 600, 520 }, { 1560, 240, 360, 280 } },
    { P::rightHalf, { 600, 40, 600, 1040 }, { 1560, 240, 360, 560 } },
    { P::bottomRight, { 600, 560, 600, 520 }, { 1560, 520, 360, 280 } },
    { P::centre, { 200, 170, 800, 780 }, { 1320, 310, 480, 420 } },
    { P::bottomLeft, { 0, 560, 600, 520 }, { 1200, 520, 360, 280 } },
    { P::leftHalf, { 0, 40, 600, 1040 }, { 1200, 240, 360, 560 } },
    { P::topLeft, { 0, 40, 600, 520 }, { 1200, 240, 360, 280 } },
};

QString describe(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QList<int> numbersAfter(const QString& text, const QString& label)
{
    QList<int> numbers;
    const qsizetype at = text.indexOf(label);
    if (at < 0)
        return numbers;
    const QString line = text.mid(at + label.size()).section(QLatin1Char('\n'), 0, 0);
    const QRegularExpression number(QStringLiteral("-?\\d+"));
    for (auto it = number.globalMatch(line); it.hasNext();)
        numbers.append(it.next().captured(0).toInt());
    return numbers;
}

// The frame as xwininfo and xprop report it, independently of the code under test.
QRect outerFrame(WId id)
{
    const QRect client = readWindow(id).geometry;
    const QList<int> extents
        = numbersAfter(windowProperty(id, QStringLiteral("_NET_FRAME_EXTENTS")), QStringLiteral("= "));
    if (extents.size() != 4)
        return client;
    return client.adjusted(-extents[0], -extents[2], extents[1], extents[3]);
}

// The window's resize increments: (1, 1) for a window that takes any size.
QSize resizeIncrement(WId id)
{
    const QList<int> step = numbersAfter(
        windowProperty(id, QStringLiteral("WM_NORMAL_HINTS")), QStringLiteral("program specified resize increment:"));
    return step.size() == 2 ? QSize(step[0], step[1]) : QSize(1, 1);
}

QString netWmState(WId id)
{
    return windowProperty(id, QStringLiteral("_NET_WM_STATE"));
}

// The frame's corner lands exactly. A window that sizes itself in steps (xterm's character
// cells) can only fill the area to within one step short; any other fills it exactly.
void expectFills(WId id, const QRect& area)
{
    const QRect frame = outerFrame(id);
    const QSize step = resizeIncrement(id);
    SCOPED_TRACE("frame " + describe(frame).toStdString() + ", area " + describe(area).toStdString());
    EXPECT_EQ(frame.topLeft(), area.topLeft());
    EXPECT_LE(frame.width(), area.width());
    EXPECT_GT(frame.width(), area.width() - step.width());
    EXPECT_LE(frame.height(), area.height());
    EXPECT_GT(frame.height(), area.height() - step.height());
}

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ' ' << arguments.join(QLatin1Char(' ')).toStdString()
                                     << ": " << process.readAllStandardError().toStdString();
}

// A window of an EWMH type made over a connection of its own; it goes with the object.
class TypedWindow {
public:
    TypedWindow(const QRect& geometry, const char* type, std::optional<WorkArea::Strut> strut = {})
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_id = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_id, screen->root,
            static_cast<std::int16_t>(geometry.x()), static_cast<std::int16_t>(geometry.y()),
            static_cast<std::uint16_t>(geometry.width()), static_cast<std::uint16_t>(geometry.height()), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_atom_t typeAtom = atom(type);
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, m_id, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &typeAtom);
        if (strut) {
            // _NET_WM_STRUT_PARTIAL: four thicknesses, then a start and an end for each edge.
            std::uint32_t values[12] = {};
            const auto edge = static_cast<std::size_t>(strut->edge);
            values[edge] = static_cast<std::uint32_t>(strut->thickness);
            values[4 + 2 * edge] = static_cast<std::uint32_t>(strut->start);
            values[5 + 2 * edge] = static_cast<std::uint32_t>(strut->end);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_id, atom("_NET_WM_STRUT_PARTIAL"),
                XCB_ATOM_CARDINAL, 32, 12, values);
        }
        xcb_map_window(m_connection, m_id);
        xcb_flush(m_connection);
    }
    ~TypedWindow() { xcb_disconnect(m_connection); }
    TypedWindow(const TypedWindow&) = delete;
    TypedWindow& operator=(const TypedWindow&) = delete;

    WId id() const { return m_id; }

private:
    xcb_atom_t atom(const char* name)
    {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_id = 0;
};

QList<ScreenArea> splitScreens()
{
    return { { leftMonitor, leftWorkArea }, { rightMonitor, rightWorkArea } };
}

class WindowSnapperDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        run(QStringLiteral("xrandr"),
            { QStringLiteral("--setmonitor"), QStringLiteral("*quickhalo-left"),
                QStringLiteral("1200/318x1080/286+0+0"), QStringLiteral("screen") });
        run(QStringLiteral("xrandr"),
            { QStringLiteral("--setmonitor"), QStringLiteral("quickhalo-right"),
                QStringLiteral("720/190x600/159+1200+240"), QStringLiteral("none") });
        docks[0] = std::make_unique<TypedWindow>(topDock, "_NET_WM_WINDOW_TYPE_DOCK", topStrut);
        docks[1] = std::make_unique<TypedWindow>(bottomDock, "_NET_WM_WINDOW_TYPE_DOCK", bottomStrut);
        waitUntil([] { return X11ScreenLayout().screens() == splitScreens(); });
    }
    static void TearDownTestSuite()
    {
        for (auto& dock : docks)
            dock.reset();
        run(QStringLiteral("xrandr"), { QStringLiteral("--delmonitor"), QStringLiteral("quickhalo-left") });
        run(QStringLiteral("xrandr"), { QStringLiteral("--delmonitor"), QStringLiteral("quickhalo-right") });
        EXPECT_TRUE(waitUntil([] { return QGuiApplication::screens().size() == 1; }));
    }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
        // Each monitor with its own work area, in the window system's pixels.
        ASSERT_EQ(screens.screens(), splitScreens());
    }

    // Puts the window's frame corner at `corner`, as a user dragging it would.
    static void moveTo(WId id, QPoint corner)
    {
        xdotool({ QStringLiteral("windowmove"), QString::number(id), QString::number(corner.x()),
            QString::number(corner.y()) });
        EXPECT_TRUE(waitUntil([&] { return (outerFrame(id).topLeft() - corner).manhattanLength() < 30; }))
            << "the window did not move to " << corner.x() << ',' << corner.y();
    }

    void snapThroughEveryPosition(WId id, const TargetApplication& target)
    {
        for (const bool right : { false, true }) {
            SCOPED_TRACE(right ? "right monitor" : "left monitor");
            moveTo(id, right ? QPoint(1300, 300) : QPoint(100, 100));
            for (const Expected& expected : expectations) {
                SCOPED_TRACE(WindowPositions::rawValue(expected.position).toStdString());
                EXPECT_TRUE(snapper.snap(expected.position, target));
                expectFills(id, right ? expected.onRight : expected.onLeft);
            }
        }
        EXPECT_EQ(toasts.shown, QStringList());
    }

    static inline std::array<std::unique_ptr<TypedWindow>, 2> docks;
    X11WindowMover mover;
    X11ScreenLayout screens;
    X11Accessibility accessibility;
    RecordingToasts toasts;
    WindowSnapper snapper { mover, screens, accessibility, toasts };
};

std::optional<TargetApplication> frontmostOf(WId id)
{
    const X11FrontmostApplication frontmost;
    std::optional<TargetApplication> target;
    EXPECT_TRUE(waitUntil([&] {
        target = frontmost.frontmost();
        return target && target->windowId == id;
    })) << "the window is not the active one";
    return target;
}

TEST_F(WindowSnapperDesktop, SnapsAnotherApplicationsWindowToEachPositionOnEitherMonitor)
{
    const OtherApplicationWindow xterm(QRect(100, 100, 480, 340));
    const auto target = frontmostOf(xterm.id());
    ASSERT_TRUE(target);
    EXPECT_EQ(target->windowClass, QStringLiteral("XTerm"));
    ASSERT_GT(resizeIncrement(xterm.id()).width(), 1) << "xterm should size itself in character cells";
    snapThroughEveryPosition(xterm.id(), *target);
}

TEST_F(WindowSnapperDesktop, SnapsAWindowOfAnySizeExactly)
{
    TargetWindow window(QRect(100, 100, 400, 300), Qt::darkCyan);
    window.show();
    window.activateWindow();
    const auto target = frontmostOf(window.winId());
    ASSERT_TRUE(target);
    ASSERT_EQ(resizeIncrement(window.winId()), QSize(1, 1));
    snapThroughEveryPosition(window.winId(), *target);
}

TEST_F(WindowSnapperDesktop, LeavesTheMaximisedAndFullScreenStatesBeforeMoving)
{
    {
        const OtherApplicationWindow xterm(QRect(100, 100, 480, 340));
        run(QStringLiteral("wmctrl"),
            { QStringLiteral("-i"), QStringLiteral("-r"), hexId(xterm.id()), QStringLiteral("-b"),
                QStringLiteral("add,maximized_vert,maximized_horz") });
        ASSERT_TRUE(waitUntil([&] { return netWmState(xterm.id()).contains(QStringLiteral("MAXIMIZED_HORZ")); }));
        EXPECT_TRUE(snapper.snap(P::topLeft, frontmostOf(xterm.id())));
        EXPECT_FALSE(netWmState(xterm.id()).contains(QStringLiteral("MAXIMIZED")));
        expectFills(xterm.id(), { 0, 40, 600, 520 });
    }
    {
        const OtherApplicationWindow xterm(QRect(100, 100, 480, 340), OtherApplicationWindow::Size::fullScreen);
        ASSERT_TRUE(waitUntil([&] { return netWmState(xterm.id()).contains(QStringLiteral("FULLSCREEN")); }));
        EXPECT_TRUE(snapper.snap(P::rightHalf, frontmostOf(xterm.id())));
        EXPECT_FALSE(netWmState(xterm.id()).contains(QStringLiteral("FULLSCREEN")));
        expectFills(xterm.id(), { 600, 40, 600, 1040 });
    }
    EXPECT_EQ(toasts.shown, QStringList());
}

TEST_F(WindowSnapperDesktop, MovesAFixedSizeWindowWithoutResizingIt)
{
    TargetWindow window(QRect(100, 100, 300, 200), Qt::darkYellow);
    window.setFixedSize(300, 200);
    window.show();
    window.activateWindow();
    const auto target = frontmostOf(window.winId());
    const QSize size = outerFrame(window.winId()).size();
    EXPECT_TRUE(snapper.snap(P::bottomRight, target));
    EXPECT_EQ(outerFrame(window.winId()), QRect(QPoint(600, 560), size));
    EXPECT_EQ(toasts.shown, QStringList());
}

TEST_F(WindowSnapperDesktop, TheWaitingHalfRunsOffTheMainThread)
{
    // What the app does: plan where the main thread is, wait for the window manager elsewhere.
    TargetWindow window(QRect(100, 100, 300, 200), Qt::darkCyan);
    window.setFixedSize(300, 200);
    window.show();
    window.activateWindow();
    const auto target = frontmostOf(window.winId());
    const QSize size = outerFrame(window.winId()).size();
    auto planned = snapper.plan(P::bottomRight, target);
    ASSERT_TRUE(std::holds_alternative<WindowSnapper::Plan>(planned));
    bool moved = false;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { moved = snapper.perform(std::get<WindowSnapper::Plan>(planned)); }));
    worker->start();
    // The main thread stays free meanwhile: the event loop keeps turning.
    EXPECT_TRUE(waitUntil([&] { return worker->isFinished(); }, 3000));
    worker->wait();
    EXPECT_TRUE(moved);
    EXPECT_EQ(outerFrame(window.winId()), QRect(QPoint(600, 560), size));
}

TEST_F(WindowSnapperDesktop, ThePlacementsScreensFollowAPanelThatComesAndGoes)
{
    // The ring, toasts and panels are placed in Qt's points with y up; unscaled, a point is a pixel.
    const auto leftVisible = [this] { return screens.frames().screens.at(0).visibleFrame; };
    const QRectF split(0, 0, 1200, 1040);
    ASSERT_EQ(leftVisible(), split);
    {
        const TypedWindow panel(QRect(0, 1040, 1200, 40), "_NET_WM_WINDOW_TYPE_DOCK",
            WorkArea::Strut { WorkArea::Strut::Edge::bottom, 40, 0, 1199 });
        EXPECT_TRUE(waitUntil([&] { return leftVisible() == QRectF(0, 40, 1200, 1000); }))
            << "the new panel is not seen: " << describe(leftVisible().toRect()).toStdString();
    }
    EXPECT_TRUE(waitUntil([&] { return leftVisible() == split; })) << "the panel that went is still seen";
}

TEST_F(WindowSnapperDesktop, SaysWhatWentWrong)
{
    // A desktop window: the window manager allows it no move.
    const TypedWindow desktop(QRect(100, 300, 400, 300), "_NET_WM_WINDOW_TYPE_DESKTOP");
    ASSERT_TRUE(waitUntil([&] { return readWindow(desktop.id()).isViewable; }));
    const QRect before = outerFrame(desktop.id());
    EXPECT_FALSE(snapper.snap(P::maximize, TargetApplication { desktop.id(), 0, {} }));
    EXPECT_EQ(outerFrame(desktop.id()), before);

    // An id that names no window: never created.
    const auto nowhere = static_cast<quint64>(xcb_generate_id(qtConnection()));
    EXPECT_FALSE(snapper.snap(P::maximize, TargetApplication { nowhere, 0, {} }));
    EXPECT_FALSE(snapper.snap(P::maximize, std::nullopt));

    EXPECT_EQ(toasts.shown,
        QStringList({ warning(QStringLiteral("This window can't be moved")),
            warning(QStringLiteral("No window to snap")), warning(QStringLiteral("No window to snap")) }));
}

}
