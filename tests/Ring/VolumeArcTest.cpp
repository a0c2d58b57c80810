#include "Ring/VolumeArc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using namespace Quickhalo;
using VolumeArc::Reading;

namespace {

// Loud direction of each slot, worked out from which band end (slot ± 40 degrees) sits higher on
// screen, the end further right when both are equally high.
struct Slot {
    int index;
    double angle;
    int loudSign;
};
constexpr Slot ringSlots[] = {
    { 0, 0, +1 }, // ends at -40 and +40 equally high; +40 is to the right
    { 1, 45, -1 }, // 5 is near the top, 85 near the horizon
    { 2, 90, -1 }, // 50 is above the horizon, 130 below
    { 3, 135, -1 }, // 95 is just below the horizon, 175 near the bottom
    { 4, 180, -1 }, // 140 and 220 equally high; 140 is to the right
    { 5, 225, +1 }, // 265 is just below the horizon, 185 near the bottom
    { 6, 270, +1 }, // 310 is above the horizon, 230 below
    { 7, 315, +1 }, // 355 is near the top, 275 near the horizon
};

// Angles as the pointer reports them: in [0, 360).
double normalised(double degrees)
{
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360 : wrapped;
}

double degrees(double radians) { return radians * 180 / std::numbers::pi; }

constexpr double frameCentre = 280;

}

TEST(VolumeArc, LoudSideRisesOnScreenForEverySlot)
{
    for (const Slot& slot : ringSlots) {
        SCOPED_TRACE(slot.index);
        EXPECT_EQ(VolumeArc::loudSign(slot.angle), slot.loudSign);
        // Unnormalised slot angles describe the same place on the ring.
        EXPECT_EQ(VolumeArc::loudSign(slot.angle + 360), slot.loudSign);
        EXPECT_EQ(VolumeArc::loudSign(slot.angle - 360), slot.loudSign);
    }
}

TEST(VolumeArc, MapCoversTheSliderAndMuteZoneOfEverySlot)
{
    struct Case {
        const char* name;
        double offset; // degrees towards the loud end
        Reading expected;
    };
    const Case cases[] = {
        { "slot centre", 0, { 1.0f / 3.0f, false } },
        { "loud end", 40, { 1, false } },
        { "half way", 10, { 0.5f, false } },
        { "start of the slider", -20, { 0, false } },
        { "one degree into the mute zone", -21, { 0, true } },
        { "quiet end", -40, { 0, true } },
        { "far on the quiet side", -120, { 0, true } },
        { "almost opposite, quiet side", -179, { 0, true } },
        { "past the loud end", 41, { 1, false } },
        { "far on the loud side", 120, { 1, false } },
        { "almost opposite, loud side", 179, { 1, false } },
    };
    for (const Slot& slot : ringSlots) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "slot " << slot.index << ", " << c.name);
            const double pointer = normalised(slot.angle + slot.loudSign * c.offset);
            const Reading reading = VolumeArc::map(pointer, slot.angle);
            EXPECT_FLOAT_EQ(reading.level, c.expected.level);
            EXPECT_EQ(reading.inMuteZone, c.expected.inMuteZone);
        }
    }
}

TEST(VolumeArc, MapWrapsAroundZero)
{
    struct Case {
        const char* name;
        double pointer;
        double slice;
        Reading expected;
    };
    const Case cases[] = {
        // 359 is one degree anticlockwise of 0, the quiet side of slot 0: level (−1 + 20) / 60.
        { "359 against slot 0", 359, 0, { 19.0f / 60, false } },
        { "1 against slot 7", 1, 315, { 1, false } },
        { "340 against slot 0", 340, 0, { 0, false } },
        { "339 against slot 0", 339, 0, { 0, true } },
        { "pointer below zero", -1, 0, { 19.0f / 60, false } },
        { "pointer past 720", 730, 0, { 0.5f, false } },
        { "slot given as 360", 10, 360, { 0.5f, false } },
        { "slot given as -360", 10, -360, { 0.5f, false } },
        // Exactly opposite counts as +180 from either side.
        { "opposite slot 0, from below", 180, 0, { 1, false } },
        { "opposite slot 0, from above", -180, 0, { 1, false } },
        { "opposite slot 2, from below", 270, 90, { 0, true } },
        { "opposite slot 2, from above", -90, 90, { 0, true } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Reading reading = VolumeArc::map(c.pointer, c.slice);
        EXPECT_FLOAT_EQ(reading.level, c.expected.level);
        EXPECT_EQ(reading.inMuteZone, c.expected.inMuteZone);
    }
}

TEST(VolumeArc, ScreenAngleStepsAlongTheLoudDirection)
{
    struct Case {
        double slice;
        double offset;
        double expected;
    };
    const Case cases[] = {
        { 0, 40, 40 },
        { 0, -20, -20 }, // left unnormalised
        { 90, 40, 50 },
        { 90, -20, 110 },
        { 180, 40, 140 },
        { 270, 40, 310 },
        { 315, 40, 355 },
        { 315, 60, 375 },
        { 45, 0, 45 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "slice " << c.slice << ", offset " << c.offset);
        EXPECT_DOUBLE_EQ(VolumeArc::screenAngle(c.slice, c.offset), c.expected);
    }
}

TEST(VolumeArc, ScreenAngleAndMapAgree)
{
    for (const Slot& slot : ringSlots) {
        for (const double offset : { -20.0, -5.0, 25.0, 40.0 }) {
            SCOPED_TRACE(testing::Message() << "slot " << slot.index << ", offset " << offset);
            const Reading reading = VolumeArc::map(normalised(VolumeArc::screenAngle(slot.angle, offset)), slot.angle);
            EXPECT_FLOAT_EQ(reading.level, static_cast<float>((offset + 20) / 60));
            EXPECT_FALSE(reading.inMuteZone);
        }
    }
}

TEST(VolumeArc, BandOutlineIsTheRoundCappedArc)
{
    const double capRadius = 25;
    const double inner = 186;
    const double outer = 236;
    const double tolerance = 1e-9;
    // The caps stick out past the ends by the angle their radius subtends at the cap centre's radius.
    const double capAngle = degrees(std::asin(capRadius / 211));

    for (const Slot& slot : ringSlots) {
        SCOPED_TRACE(slot.index);
        const VolumeArc::Band band { slot.angle };
        const std::vector<VolumeArc::Band::Point> outline = band.outline();
        ASSERT_GE(outline.size(), 8u);

        const auto capCentre = [&](double compass) {
            const double radians = compass * std::numbers::pi / 180;
            return VolumeArc::Band::Point { frameCentre + 211 * std::sin(radians), frameCentre - 211 * std::cos(radians) };
        };
        const VolumeArc::Band::Point caps[] = { capCentre(slot.angle - 40), capCentre(slot.angle + 40) };

        double smallestOffset = 0;
        double largestOffset = 0;
        for (const auto& point : outline) {
            const double radius = std::hypot(point.x - frameCentre, point.y - frameCentre);
            EXPECT_GE(radius, inner - tolerance);
            EXPECT_LE(radius, outer + tolerance);

            const bool onArc = std::abs(radius - inner) < tolerance || std::abs(radius - outer) < tolerance;
            bool onCap = false;
            for (const auto& cap : caps)
                onCap = onCap || std::abs(std::hypot(point.x - cap.x, point.y - cap.y) - capRadius) < tolerance;
            EXPECT_TRUE(onArc || onCap) << point.x << ", " << point.y;

            // Compass angle of the point seen from the frame centre (y down), relative to the slot.
            double offset = degrees(std::atan2(point.x - frameCentre, frameCentre - point.y)) - slot.angle;
            offset = std::remainder(offset, 360.0);
            smallestOffset = std::min(smallestOffset, offset);
            largestOffset = std::max(largestOffset, offset);
        }
        EXPECT_NEAR(largestOffset, 40 + capAngle, 0.05);
        EXPECT_NEAR(smallestOffset, -40 - capAngle, 0.05);
    }
}

TEST(VolumeArc, BandOutlineEnclosesTheBandsArea)
{
    // Shoelace area: a self-crossing or incomplete outline falls short of it.
    const double expected = 80.0 / 360 * std::numbers::pi * (236.0 * 236 - 186.0 * 186) + std::numbers::pi * 25 * 25;
    for (const Slot& slot : ringSlots) {
        SCOPED_TRACE(slot.index);
        const auto outline = VolumeArc::Band { slot.angle }.outline(48);
        double twiceArea = 0;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const auto& a = outline[i];
            const auto& b = outline[(i + 1) % outline.size()];
            twiceArea += a.x * b.y - b.x * a.y;
        }
        EXPECT_NEAR(std::abs(twiceArea) / 2, expected, expected * 0.005);
    }
}

TEST(VolumeArc, BandSitsOnItsSideOfTheFrame)
{
    struct Case {
        int slot;
        bool (*isInside)(const VolumeArc::Band::Point&);
    };
    const Case cases[] = {
        { 0, [](const VolumeArc::Band::Point& p) { return p.y < frameCentre; } },
        { 2, [](const VolumeArc::Band::Point& p) { return p.x > frameCentre; } },
        { 4, [](const VolumeArc::Band::Point& p) { return p.y > frameCentre; } },
        { 6, [](const VolumeArc::Band::Point& p) { return p.x < frameCentre; } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        for (const auto& point : VolumeArc::Band { c.slot * 45.0 }.outline())
            EXPECT_TRUE(c.isInside(point)) << point.x << ", " << point.y;
    }
}

TEST(VolumeArc, BandOutlineSurvivesDegenerateSegmentCounts)
{
    for (const int segments : { 1, 0, -4 }) {
        SCOPED_TRACE(segments);
        const auto outline = VolumeArc::Band { 90 }.outline(segments);
        ASSERT_GE(outline.size(), 4u);
        for (const auto& point : outline) {
            const double radius = std::hypot(point.x - frameCentre, point.y - frameCentre);
            EXPECT_GE(radius, 186 - 1e-9);
            EXPECT_LE(radius, 236 + 1e-9);
        }
    }
}

TEST(VolumeArc, CentreTextFollowsItsPriorities)
{
    struct Case {
        const char* name;
        VolumeArc::CentreState state;
        QString expected;
    };
    const QString holding = QString::fromUtf8("Release to mute \xc2\xb7 push out for slider");
    // Fields: isAdjustable, isMuted, flyoutOpen, flyoutLevel, isSticky.
    const Case cases[] = {
        { "not adjustable beats everything", { false, true, true, 0.5f, true }, QStringLiteral("No volume control") },
        { "not adjustable while holding", { false, false, false, 0, false }, QStringLiteral("No volume control") },
        { "muted with the flyout open", { true, true, true, 0.5f, true }, QStringLiteral("Muted") },
        { "flyout open shows the level", { true, false, true, 0.5f, true }, QStringLiteral("50%") },
        { "level rounds up", { true, false, true, 0.426f, false }, QStringLiteral("43%") },
        { "level rounds down", { true, false, true, 0.424f, false }, QStringLiteral("42%") },
        { "almost full", { true, false, true, 0.996f, false }, QStringLiteral("100%") },
        { "level 0", { true, false, true, 0, false }, QStringLiteral("0%") },
        { "level 1", { true, false, true, 1, false }, QStringLiteral("100%") },
        { "sticky, flyout closed, muted", { true, true, false, 0.5f, true }, QStringLiteral("Click to mute") },
        { "sticky, flyout closed", { true, false, false, 0.5f, true }, QStringLiteral("Click to mute") },
        { "holding", { true, false, false, 0.5f, false }, holding },
        { "holding while muted", { true, true, false, 0.5f, false }, holding },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VolumeArc::centreText(c.state), c.expected);
    }
}

TEST(VolumeArc, LiveSymbolFollowsTheLevel)
{
    struct Case {
        float level;
        bool isMuted;
        const char* expected;
    };
    const Case cases[] = {
        { 0, false, "speaker.slash.fill" },
        { -0.1f, false, "speaker.slash.fill" },
        { 0.001f, false, "speaker.wave.1.fill" },
        { 0.33f, false, "speaker.wave.1.fill" },
        { 0.34f, false, "speaker.wave.2.fill" },
        { 0.66f, false, "speaker.wave.2.fill" },
        { 0.67f, false, "speaker.wave.3.fill" },
        { 1, false, "speaker.wave.3.fill" },
        { 1, true, "speaker.slash.fill" },
        { 0.5f, true, "speaker.slash.fill" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << (c.isMuted ? ", muted" : ""));
        EXPECT_EQ(VolumeArc::liveSymbol(c.level, c.isMuted), QLatin1String(c.expected));
    }
}
