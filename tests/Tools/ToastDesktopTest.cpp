#include "Tools/Toast.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>

#include "Platform/Qt/QtClock.h"
#include "Platform/X11/X11PointerLocation.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Tools/ToastWindow.h"
#include "support/DesktopTestSupport.h"

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

// Toast windows the X server shows, as any client sees them.
QStringList mappedToastWindows()
{
    const QString found = runTool(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            QStringLiteral("^Quickhalo toast$") });
    return found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class ToastDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    }

    QtClock clock;
    X11PointerLocation pointer;
    X11WindowSystemInfo windowSystem;
    X11ScreenLayout screens;
    Toast toast { pointer, screens, windowSystem, clock };
};

}

TEST_F(ToastDesktopTest, AppearsAboveThePointerOutsideTheWindowManagerAndLetsClicksThrough)
{
    const QColor green(30, 160, 60);
    TargetWindow target(QRect(300, 300, 700, 400), green);
    target.show();
    const QPoint pointerAt(650, 500);
    // Painted, not only mapped: the pixels below are compared with it.
    ASSERT_TRUE(waitUntil([&] { return isNear(screenPixel(pointerAt - QPoint(0, 40)), green); }));
    movePointer(pointerAt);

    toast.show(QStringLiteral("Pasted"), QStringLiteral("checkmark.circle.fill"));
    ASSERT_NE(toast.window(), nullptr);
    const WId id = toast.window()->winId();
    const QColor capsule = toast.window()->palette().color(QPalette::Window);
    ASSERT_TRUE(waitUntil([&] { return readWindow(id).isViewable; }));
    const QRect geometry = readWindow(id).geometry;
    EXPECT_EQ(geometry.y() + geometry.height(), pointerAt.y() - 28) << "bottom edge 28 points above the pointer";
    EXPECT_NEAR(geometry.x() + geometry.width() / 2.0, pointerAt.x(), 1.0);
    EXPECT_TRUE(runTool(QStringLiteral("xwininfo"), { QStringLiteral("-all"), QStringLiteral("-id"), hexId(id) })
                    .contains(QStringLiteral("Override Redirect State: yes")))
        << "the window manager leaves it alone";
    EXPECT_NE(activeWindow(), std::optional<WId>(id)) << "it never takes the focus";

    // Without a compositor: drawn opaque inside the capsule, the corners showing what is beneath.
    const QPoint insideCapsule(geometry.x() + ToastWindow::outerPadding + 6, geometry.y() + geometry.height() / 2);
    EXPECT_TRUE(waitUntil([&] { return isNear(screenPixel(insideCapsule), capsule); }, 2000))
        << "the capsule is drawn over the window beneath";
    EXPECT_TRUE(isNear(screenPixel(geometry.topLeft() + QPoint(1, 1)), green)) << "the corners are cut away";

    const int pressesBefore = target.presses;
    clickAt(geometry.center());
    EXPECT_TRUE(waitUntil([&] { return target.presses == pressesBefore + 1; }, 2000))
        << "the click reaches the window beneath the toast";
    EXPECT_TRUE(readWindow(id).isViewable) << "and the toast stays";
}

TEST_F(ToastDesktopTest, NewerToastReplacesTheOlderAtOnceAndGoesAfterAboutOnePointSevenSeconds)
{
    movePointer(QPoint(900, 600));
    toast.show(QStringLiteral("Screenshot copied"), QStringLiteral("camera"));
    ASSERT_TRUE(waitUntil([] { return mappedToastWindows().size() == 1; }, 2000));
    QTest::qWait(400);

    movePointer(QPoint(500, 400));
    QElapsedTimer shown;
    shown.start();
    toast.show(QStringLiteral("Invalid URL"), QStringLiteral("exclamationmark.triangle.fill"));
    ASSERT_NE(toast.window(), nullptr);
    const QString newest = QString::number(toast.window()->winId());
    EXPECT_TRUE(waitUntil([&] { return mappedToastWindows() == QStringList { newest }; }, 1000))
        << "only the newer toast is on screen";
    EXPECT_EQ(readWindow(toast.window()->winId()).geometry.bottom() + 1, 400 - 28) << "at the pointer's new place";

    // The older toast's time runs out while the newer one shows; the newer stays.
    QTest::qWait(static_cast<int>(std::max<qint64>(0, 1300 - shown.elapsed())));
    EXPECT_EQ(mappedToastWindows(), QStringList { newest }) << "still there 1.3 s after it appeared";

    ASSERT_TRUE(waitUntil([] { return mappedToastWindows().isEmpty(); }, 3000));
    const qint64 gone = shown.elapsed();
    EXPECT_GE(gone, 1650);
    EXPECT_LE(gone, 2200);
    EXPECT_EQ(toast.window(), nullptr);
}
