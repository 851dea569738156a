#include "platform/graphics/PixelMemory.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(PixelMemory, AScreenSizedImageBehavesAsAnyOtherAndIsKeptOnlyWhileUnshared)
{
    QImage image;
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));  // large enough for the 2 MiB pages
    ASSERT_EQ(image.bytesPerLine(), 1920 * 4);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(1919, 1079, qRgb(1, 2, 3));
    const uchar* memory = image.constBits();
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));
    EXPECT_EQ(image.constBits(), memory);

    // Shared, it is left to its other holder, who sees it change no more.
    const QImage held = image;
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));
    EXPECT_NE(image.constBits(), held.constBits());
    image.fill(0);
    EXPECT_EQ(held.pixel(1919, 1079), qRgb(1, 2, 3));
    EXPECT_EQ(held.pixel(0, 0), qRgb(10, 20, 30));

    ASSERT_TRUE(PrepareRgb32Image(image, 3, 2));
    EXPECT_EQ(image.size(), QSize(3, 2));
    EXPECT_TRUE(NewRgb32Image(0, 5).isNull());
}
