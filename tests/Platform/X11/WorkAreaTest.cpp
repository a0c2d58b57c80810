#include "Platform/X11/WorkArea.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << '(' << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ')';
}
QT_END_NAMESPACE

using namespace Quickhalo;
using Edge = WorkArea::Strut::Edge;

namespace {

// A wide monitor on the left and a smaller one to its right, lower down; struts count from the
// edges of the whole 1920 by 1080 desktop.
const QSize desktop(1920, 1080);
const QRect left(0, 0, 1200, 1080);
const QRect right(1200, 240, 720, 600);

struct Case {
    const char* name;
    QList<WorkArea::Strut> struts;
    QRect expectedLeft;
    QRect expectedRight;
};

TEST(WorkArea, EachMonitorLosesOnlyTheStrutsThatEndInsideIt)
{
    const Case cases[] = {
        { "no struts", {}, left, right },
        { "panel along the top of the left monitor", { { Edge::top, 40, 0, 1199 } }, { 0, 40, 1200, 1040 }, right },
        // The right monitor starts below it: the panel is not on it.
        { "panel along the top of the whole desktop", { { Edge::top, 40, 0, 1919 } }, { 0, 40, 1200, 1040 }, right },
        { "dock along the bottom of the right monitor", { { Edge::bottom, 280, 1200, 1919 } }, left,
            { 1200, 240, 720, 560 } },
        { "panel along the bottom of the left monitor", { { Edge::bottom, 30, 0, 1199 } }, { 0, 0, 1200, 1050 },
            right },
        // Reaches across the whole left monitor, but ends inside the right one.
        { "panel on the inner edge of the right monitor", { { Edge::left, 1248, 240, 839 } }, left,
            { 1248, 240, 672, 600 } },
        { "panel on the inner edge of the left monitor", { { Edge::right, 768, 0, 1079 } }, { 0, 0, 1152, 1080 },
            right },
        { "strut beside the monitor, not along it", { { Edge::left, 1248, 0, 200 } }, left, right },
        { "the deepest of two panels on one edge", { { Edge::top, 30, 0, 1199 }, { Edge::top, 40, 0, 600 } },
            { 0, 40, 1200, 1040 }, right },
        { "every edge at once",
            { { Edge::top, 40, 0, 1199 }, { Edge::bottom, 30, 0, 1199 }, { Edge::left, 50, 0, 1079 },
                { Edge::right, 768, 0, 1079 } },
            { 50, 40, 1102, 1010 }, right },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WorkArea::of(left, c.struts, desktop), c.expectedLeft);
        EXPECT_EQ(WorkArea::of(right, c.struts, desktop), c.expectedRight);
    }
}

TEST(WorkArea, ReadsBothFormsOfTheStrutProperty)
{
    const QList<WorkArea::Strut> partial
        = WorkArea::fromProperty({ 0, 0, 40, 280, 0, 0, 0, 0, 0, 1199, 1200, 1919 }, desktop);
    EXPECT_EQ(WorkArea::of(left, partial, desktop), QRect(0, 40, 1200, 1040));
    EXPECT_EQ(WorkArea::of(right, partial, desktop), QRect(1200, 240, 720, 560));

    // The older form spans whole edges.
    const QList<WorkArea::Strut> whole = WorkArea::fromProperty({ 0, 0, 0, 280 }, desktop);
    EXPECT_EQ(WorkArea::of(left, whole, desktop), QRect(0, 0, 1200, 800));
    EXPECT_EQ(WorkArea::of(right, whole, desktop), QRect(1200, 240, 720, 560));

    EXPECT_TRUE(WorkArea::fromProperty({ 0, 0, 40 }, desktop).isEmpty());
}

}
