#include "Ring/RingGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

using namespace Quickhalo;

namespace {

constexpr double distance = 100;

// An offset at `degrees` on the compass, `distance` from the centre (y up).
double dxAt(double degrees) { return distance * std::sin(degrees * std::numbers::pi / 180); }
double dyAt(double degrees) { return distance * std::cos(degrees * std::numbers::pi / 180); }

}

TEST(RingGeometry, SliceIndexFollowsThePointer)
{
    struct Case {
        const char* name;
        double dx;
        double dy;
        int count;
        double deadZone;
        std::optional<int> expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        { "up", 0, 100, 8, 72, 0 },
        { "right", 100, 0, 8, 72, 2 },
        { "down", 0, -100, 8, 72, 4 },
        { "left", -100, 0, 8, 72, 6 },
        { "down with negative zero dx", -0.0, -100, 8, 72, 4 },
        { "up left diagonal", -100, 100, 8, 72, 7 },
        { "far away: no outer limit", 1e6, -1e6, 8, 72, 3 },

        { "exactly on the dead zone", 0, 72, 8, 72, 0 },
        { "just inside the dead zone", 0, 71.9, 8, 72, std::nullopt },
        { "inside the dead zone, sideways", -50, -50, 8, 72, std::nullopt },
        { "centre", 0, 0, 8, 72, std::nullopt },
        { "centre without dead zone", 0, 0, 8, 0, std::nullopt },
        { "centre with negative zeros", -0.0, -0.0, 8, 0, std::nullopt },
        { "tiny offset without dead zone", 1e-6, 0, 8, 0, 2 },
        { "not a number", nan, 100, 8, 0, std::nullopt },

        { "22.4 stays in slice 0", dxAt(22.4), dyAt(22.4), 8, 72, 0 },
        { "22.5 belongs to slice 1", dxAt(22.5), dyAt(22.5), 8, 72, 1 },
        { "337.4 is slice 7", dxAt(337.4), dyAt(337.4), 8, 72, 7 },
        { "337.5 wraps to slice 0", dxAt(337.5), dyAt(337.5), 8, 72, 0 },
        { "just below 360", -1e-9, 100, 8, 72, 0 },
        { "below 360 by less than rounding", -1e-300, 100, 8, 72, 0 },

        { "count 0", 0, 100, 0, 72, std::nullopt },
        { "negative count", 0, 100, -3, 72, std::nullopt },
        { "count 1 down", 0, -100, 1, 72, 0 },
        { "count 4 right", 100, 0, 4, 72, 1 },
        { "count 4 left", -100, 0, 4, 72, 3 },
        { "count 4 boundary at 45", 100, 100, 4, 72, 1 },
        { "count 4 wraps at 315", -100, 100, 4, 72, 0 },
        { "count 3 at 100 degrees", dxAt(100), dyAt(100), 3, 72, 1 },
        { "count 3 at 200 degrees", dxAt(200), dyAt(200), 3, 72, 2 },
        { "count 3 at 310 degrees", dxAt(310), dyAt(310), 3, 72, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RingGeometry::sliceIndex(c.dx, c.dy, c.count, c.deadZone), c.expected);
    }
}

TEST(RingGeometry, DefaultsAreEightSlicesAndTheDeadZone)
{
    EXPECT_EQ(RingGeometry::sliceIndex(-100, 0), 6);
    EXPECT_EQ(RingGeometry::sliceIndex(0, 72), 0);
    EXPECT_EQ(RingGeometry::sliceIndex(0, 71.9), std::nullopt);
}

TEST(RingGeometry, CompassAngleRunsClockwiseFromUp)
{
    struct Case {
        const char* name;
        double dx;
        double dy;
        double expected;
    };
    const Case cases[] = {
        { "up", 0, 5, 0 },
        { "up right", 5, 5, 45 },
        { "right", 5, 0, 90 },
        { "down", 0, -5, 180 },
        { "down with negative zero dx", -0.0, -5, 180 },
        { "down left", -5, -5, 225 },
        { "left", -5, 0, 270 },
        { "up left", -5, 5, 315 },
        { "centre", 0, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(RingGeometry::compassAngle(c.dx, c.dy), c.expected, 1e-12);
    }
}

TEST(RingGeometry, CompassAngleStaysBelow360)
{
    for (const double dx : { -1e-300, -1e-12, -1e-3 }) {
        SCOPED_TRACE(dx);
        const double angle = RingGeometry::compassAngle(dx, 1);
        EXPECT_GE(angle, 0);
        EXPECT_LT(angle, 360);
    }
}
