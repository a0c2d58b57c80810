#include "Platform/Fake/FakeScreenLayout.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

// Two monitors in y-down points: a primary with a 30-point panel along its top, and a smaller one
// to its right whose top is lower down.
FakeScreenLayout twoMonitors()
{
    FakeScreenLayout layout;
    layout.list
        = { { { 0, 0, 1920, 1080 }, { 0, 30, 1920, 1050 } }, { { 1920, 200, 1280, 720 }, { 1920, 200, 1280, 720 } } };
    return layout;
}

}

TEST(DesktopFrames, TurnsScreensUpsideDownAboutTheWholeDesktop)
{
    const DesktopFrames desktop = twoMonitors().frames();
    EXPECT_EQ(desktop.height, 1080);
    ASSERT_EQ(desktop.screens.size(), 2u);
    EXPECT_EQ(desktop.screens[0], (ScreenFrame { { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1050 } }))
        << "the panel along the top trims the top of the visible frame";
    EXPECT_EQ(desktop.screens[1], (ScreenFrame { { 1920, 160, 1280, 720 }, { 1920, 160, 1280, 720 } }));
    EXPECT_EQ(desktop.primary(), desktop.screens[0]);

    // Back to Qt's window positions: the round trip is exact.
    EXPECT_EQ(desktop.toWindowPosition(QPointF(2000, 160)), QPointF(2000, 920));
    EXPECT_EQ(desktop.toWindowGeometry(desktop.screens[1].frame), QRectF(1920, 200, 1280, 720));

    EXPECT_EQ(FakeScreenLayout {}.frames().height, 0);
    EXPECT_FALSE(FakeScreenLayout {}.frames().primary().has_value());
}

TEST(DesktopFrames, APointBelongsToTheScreenWhosePixelRowsHoldIt)
{
    const DesktopFrames desktop = twoMonitors().frames();
    struct Case {
        QPointF point; // y up
        int screen; // index, or -1 for none (the primary answers then)
    } const cases[] = {
        { { 10, 10 }, 0 },
        { { 1919.5, 1080 }, 0 }, // the top row of the primary
        { { 1920, 1080 }, -1 }, // right of the primary and above the second
        { { 1920, 880 }, 1 }, // the second's top row
        { { 1920, 160 }, -1 }, // its bottom edge is the row below it
        { { 1920, 160.5 }, 1 },
        { { 3199.9, 500 }, 1 },
        { { 3200, 500 }, -1 }, // right edge outside
        { { -1, 500 }, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << ", " << c.point.y());
        const std::optional<ScreenFrame> screen = desktop.screenAt(c.point);
        ASSERT_TRUE(screen.has_value());
        EXPECT_EQ(*screen, desktop.screens[static_cast<std::size_t>(c.screen < 0 ? 0 : c.screen)]);
    }
    EXPECT_FALSE(DesktopFrames {}.screenAt(QPointF(0, 0)).has_value());
}
