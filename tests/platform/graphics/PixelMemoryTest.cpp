#include "platform/graphics/PixelMemory.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(PixelMemory, LargeAndSmallImagesBehaveAsAnyOther)
{
    for (const QSize size : {QSize(1920, 1080), QSize(3, 2), QSize(1023, 513)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        QImage image = NewRgb32Image(size.width(), size.height());
        ASSERT_EQ(image.size(), size);
        ASSERT_EQ(image.format(), QImage::Format_RGB32);
        ASSERT_EQ(image.bytesPerLine(), size.width() * 4);
        image.fill(qRgb(10, 20, 30));
        image.setPixel(size.width() - 1, size.height() - 1, qRgb(1, 2, 3));

        // A copy shares until one of them changes; then each keeps its own.
        QImage copy = image;
        EXPECT_EQ(copy.constBits(), image.constBits());
        copy.setPixel(0, 0, qRgb(200, 0, 0));
        EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
        EXPECT_EQ(copy.pixel(size.width() - 1, size.height() - 1), qRgb(1, 2, 3));
        image = QImage();  // its memory goes; the copy lives on
        EXPECT_EQ(copy.pixel(1, 0), qRgb(10, 20, 30));
    }
    EXPECT_TRUE(NewRgb32Image(0, 5).isNull());
}

TEST(PixelMemory, PreparingKeepsTheMemoryOnlyWhenNothingElseSharesIt)
{
    QImage image;
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));
    const uchar* memory = image.constBits();
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));
    EXPECT_EQ(image.constBits(), memory);

    image.fill(qRgb(5, 5, 5));
    const QImage held = image;
    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1080));
    EXPECT_NE(image.constBits(), held.constBits());
    EXPECT_EQ(held.pixel(100, 100), qRgb(5, 5, 5));

    ASSERT_TRUE(PrepareRgb32Image(image, 1920, 1200));
    EXPECT_EQ(image.size(), QSize(1920, 1200));
    QImage other(1920, 1200, QImage::Format_ARGB32);
    ASSERT_TRUE(PrepareRgb32Image(other, 1920, 1200));
    EXPECT_EQ(other.format(), QImage::Format_RGB32);
}
