#include "platform/graphics/Rect.h"

#include <gtest/gtest.h>

#include <climits>

using namespace velvane;

TEST(Rect, QRectConversionsKeepExclusiveEdges)
{
    const QRect q = ToQRect(Rect(2, 3, 10, 7));
    EXPECT_EQ(q.x(), 2);
    EXPECT_EQ(q.y(), 3);
    EXPECT_EQ(q.width(), 8);
    EXPECT_EQ(q.height(), 4);
    EXPECT_EQ(q.right(), 9);  // QRect's right edge is inside
    EXPECT_EQ(FromQRect(QRect(2, 3, 8, 4)), Rect(2, 3, 10, 7));

    // One pixel, nothing, inverted and negative places all come back as they went.
    for (const TRect& r : {Rect(0, 0, 1, 1), Rect(5, 5, 5, 5), Rect(5, 5, 3, 2), Rect(-10, -20, -3, -4),
                           Rect(INT_MIN, INT_MIN, 0, 0), Rect(0, 0, INT_MAX, INT_MAX)})
        EXPECT_EQ(FromQRect(ToQRect(r)), r) << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    EXPECT_TRUE(ToQRect(Rect(5, 5, 5, 9)).isEmpty());
    EXPECT_EQ(ToQRect(Rect(0, 0, 1, 1)), QRect(0, 0, 1, 1));

    // Edges QRect cannot hold are pulled in rather than wrapped.
    EXPECT_EQ(FromQRect(QRect(QPoint(0, 0), QPoint(INT_MAX, INT_MAX))), Rect(0, 0, INT_MAX, INT_MAX));
    EXPECT_EQ(ToQRect(Rect(INT_MIN, 0, INT_MIN, 1)).right(), INT_MIN);
    EXPECT_EQ(Bounds(INT_MAX - 1, 0, 10, 1).Right, INT_MAX);
}
