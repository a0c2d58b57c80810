#include "Tools/ToastPlacement.h"

#include <gtest/gtest.h>

using namespace Quickhalo;
using ToastPlacement::Screen;

namespace {

// y up. The left screen has a 30-point panel at the top and a 40-point dock at the bottom; the
// right one, shorter, has neither.
const Screen left { QRectF(0, 0, 1920, 1080), QRectF(0, 40, 1920, 1010) };
const Screen right { QRectF(1920, 0, 1280, 1024), QRectF(1920, 0, 1280, 1024) };
const QSizeF toast(200, 42);

struct Case {
    const char* name;
    QPointF pointer;
    QSizeF size;
    std::vector<Screen> screens;
    std::optional<Screen> main;
    QPointF origin;
};

}

TEST(ToastPlacement, CentresAbovePointerAndKeepsInsideThePointersScreen)
{
    const std::vector<Screen> both { left, right };
    const Case cases[] = {
        { "centred, bottom edge 28 above the pointer", { 960, 500 }, toast, both, left, { 860, 528 } },
        // Pushed down onto the pointer rather than off the top.
        { "5 below the visible top", { 960, 1045 }, toast, both, left, { 860, 1000 } },
        { "inside the panel above the visible frame", { 960, 1075 }, toast, both, left, { 860, 1000 } },
        { "at the left edge", { 0, 500 }, toast, both, left, { 8, 528 } },
        { "at the right edge of the left screen", { 1919, 500 }, toast, both, left, { 1712, 528 } },
        { "just above the dock", { 960, 2 }, toast, both, left, { 860, 48 } },
        // A screen's left edge belongs to it: the toast stays on the right screen.
        { "on the right screen's left edge", { 1920, 500 }, toast, both, left, { 1928, 528 } },
        { "right screen, above its top", { 2500, 1020 }, toast, both, left, { 2400, 974 } },
        { "off every screen: the main screen", { 3300, 1060 }, toast, both, left, { 1712, 1000 } },
        { "off every screen, no main screen: unclamped", { 3300, 1060 }, toast, both, std::nullopt, { 3200, 1088 } },
        { "no screens at all: unclamped", { -50, 2000 }, toast, {}, std::nullopt, { -150, 2028 } },
        // The upper bounds are applied last: the right and top edges stay on screen.
        { "wider and taller than the screen", { 960, 500 }, { 2000, 1100 }, both, left, { -88, -58 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto screen = ToastPlacement::screenFor(c.pointer, c.screens, c.main);
        const QPointF origin = ToastPlacement::origin(c.pointer, c.size, screen);
        EXPECT_DOUBLE_EQ(origin.x(), c.origin.x());
        EXPECT_DOUBLE_EQ(origin.y(), c.origin.y());
    }
}
