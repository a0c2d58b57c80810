#include "Tools/ToolPanelPlacement.h"

#include <gtest/gtest.h>

using namespace Quickhalo;
using ToolPanelPlacement::Screen;

namespace {
// A 1920 x 1080 screen at the origin whose usable area loses a 30-point panel at the bottom,
// and a second one to its right, lower down.
const Screen left { QRectF(0, 0, 1920, 1080), QRectF(0, 30, 1920, 1050) };
const Screen right { QRectF(1920, -200, 1280, 1024), QRectF(1920, -200, 1280, 1024) };
}

TEST(ToolPanelPlacement, CentresOnThePointerAndClampsInsideTheUsableArea)
{
    struct Case {
        const char* what;
        QPointF pointer;
        QSizeF size;
        QPointF origin;
    };
    const Case cases[] = {
        { "room all round: centred", { 960, 540 }, { 340, 170 }, { 790, 455 } },
        { "near the left edge", { 10, 540 }, { 340, 170 }, { 8, 455 } },
        { "top right corner", { 1919, 1079 }, { 340, 170 }, { 1920 - 340 - 8, 1080 - 170 - 8 } },
        { "above the bottom panel", { 960, 31 }, { 360, 420 }, { 780, 30 + 8 } },
        { "taller than the usable area: flush with the top margin", { 960, 540 }, { 360, 1100 },
            { 780, 1080 - 1100 - 8 } },
        { "wider than the usable area: flush with the right margin", { 960, 540 }, { 2000, 100 },
            { 1920 - 2000 - 8, 490 } },
        { "second screen: its own area, not the main one's", { 1930, -150 }, { 380, 440 }, { 1928, -192 } },
    };
    for (const Case& c : cases) {
        const QPointF origin = ToolPanelPlacement::origin(c.pointer, c.size, { left, right }, left);
        EXPECT_DOUBLE_EQ(origin.x(), c.origin.x()) << c.what;
        EXPECT_DOUBLE_EQ(origin.y(), c.origin.y()) << c.what;
    }
}

TEST(ToolPanelPlacement, OutsideEveryScreenFallsBackToTheMainScreenOrStaysCentred)
{
    const QPointF nowhere(-500, 5000);
    EXPECT_EQ(ToolPanelPlacement::origin(nowhere, { 340, 170 }, { left, right }, right),
        QPointF(1920 + 8, 824 - 170 - 8))
        << "the main screen's area";
    EXPECT_EQ(ToolPanelPlacement::origin(nowhere, { 340, 170 }, {}, std::nullopt), QPointF(-670, 4915))
        << "no screen at all: centred, unclamped";
}
