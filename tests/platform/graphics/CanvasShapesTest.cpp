#include "platform/graphics/RectCalls.h"
#include "tests/support/PixelMap.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velvane;
using velvane::test::PixelMap;

TEST(CanvasShapes, LinesLeaveOutTheirEndAndShapesCloseThemselves)
{
    PixelMap lines(5, 5);
    lines.canvas.MoveTo(0, 0);
    lines.canvas.LineTo(4, 0);
    lines.canvas.LineTo(4, 4);
    lines.canvas.LineTo(0, 0);
    EXPECT_EQ(lines.Map(), "DDDDD\n.D..D\n..D.D\n...DD\n....D\n");

    const std::vector<TPoint> square = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    PixelMap open(5, 5), closed(5, 5);
    open.canvas.Polyline(square);
    EXPECT_EQ(open.Map(), "DDDDD\n....D\n....D\n....D\n.DDDD\n");
    EXPECT_EQ(open.canvas.PenPos, (TPoint{0, 0})) << "the pen stays where it was";
    closed.canvas.Polygon(square);
    EXPECT_EQ(closed.Map(), "DDDDD\nDHHHD\nDHHHD\nDHHHD\nDDDDD\n");
}

TEST(RectCalls, IntersectionsAndUnions)
{
    TRect common;
    EXPECT_TRUE(IntersectRect(common, TRect{0, 0, 10, 10}, TRect{5, 8, 20, 20}));
    EXPECT_EQ(common, (TRect{5, 8, 10, 10}));
    // Touching edges share nothing: right and bottom lie outside.
    EXPECT_FALSE(IntersectRect(common, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
    EXPECT_EQ(common, TRect{});
    TRect all;
    UnionRect(all, TRect{5, 5, 5, 9}, TRect{1, 2, 3, 4});
    EXPECT_EQ(all, (TRect{1, 2, 3, 4})) << "an empty rectangle adds nothing";
}
