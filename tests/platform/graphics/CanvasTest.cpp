#include "platform/graphics/Graphics.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <climits>

using namespace velvane;

namespace {

void Fill(TBitmap& b, int w, int h, TColor color)
{
    b.Canvas().Brush.Color = color;
    b.SetSize(w, h);
}

} // namespace

TEST(Canvas, PixelsAreBgrColours)
{
    TBitmap b;
    b.SetSize(3, 2);
    TCanvas& c = b.Canvas();
    c.SetPixels(1, 1, 0x00336699);  // blue 0x33, green 0x66, red 0x99
    EXPECT_EQ(b.Image().pixel(1, 1), qRgb(0x99, 0x66, 0x33));
    EXPECT_EQ(c.Pixels(1, 1), 0x00336699u);
    c.SetPixels(0, 0, 0xFF0000FF);  // the top byte is not a colour
    EXPECT_EQ(c.Pixels(0, 0), clRed);

    // Outside the picture nothing is written and reads say so.
    c.SetPixels(3, 0, clRed);
    c.SetPixels(-1, 0, clRed);
    EXPECT_EQ(c.Pixels(3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(c.Pixels(0, -1), 0xFFFFFFFFu);
    EXPECT_EQ(c.Pixels(2, 1), clWhite);
}

TEST(Canvas, FillRectLeavesOutRightAndBottom)
{
    TBitmap b;
    Fill(b, 6, 5, clWhite);
    TCanvas& c = b.Canvas();
    c.Brush.Color = clBlue;
    c.FillRect(Rect(1, 1, 4, 3));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(c.Pixels(x, y), x >= 1 && x < 4 && y >= 1 && y < 3 ? clBlue : clWhite) << x << "," << y;

    // Inverted or empty rectangles draw nothing; overhanging ones are clipped.
    c.Brush.Color = clRed;
    c.FillRect(Rect(4, 4, 2, 2));
    c.FillRect(Rect(0, 0, 0, 5));
    EXPECT_EQ(c.Pixels(3, 3), clWhite);
    EXPECT_EQ(c.Pixels(0, 0), clWhite);
    c.FillRect(Rect(-100, 4, 100, 100));
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c.Pixels(x, 4), clRed);
    EXPECT_EQ(c.Pixels(0, 3), clWhite);
}

TEST(Canvas, DrawCopiesAndClips)
{
    TBitmap target;
    Fill(target, 4, 4, clWhite);
    TBitmap source;
    source.SetSize(2, 2);
    source.Canvas().SetPixels(0, 0, 0x010203);
    source.Canvas().SetPixels(1, 0, 0x040506);
    source.Canvas().SetPixels(0, 1, 0x070809);
    source.Canvas().SetPixels(1, 1, 0x0A0B0C);

    target.Canvas().Draw(1, 2, source);
    EXPECT_EQ(target.Canvas().Pixels(1, 2), 0x010203u);
    EXPECT_EQ(target.Canvas().Pixels(2, 3), 0x0A0B0Cu);
    EXPECT_EQ(target.Canvas().Pixels(0, 2), clWhite);
    EXPECT_EQ(target.Canvas().Pixels(3, 2), clWhite);

    target.Canvas().Draw(-1, -1, source);  // only the bottom right pixel lands
    EXPECT_EQ(target.Canvas().Pixels(0, 0), 0x0A0B0Cu);
    EXPECT_EQ(target.Canvas().Pixels(1, 0), clWhite);
    target.Canvas().Draw(4, 0, source);    // entirely outside
    target.Canvas().Draw(INT_MAX, INT_MAX, source);
    EXPECT_EQ(target.Canvas().Pixels(3, 0), clWhite);

    // Drawing a bitmap onto itself does not smear.
    TBitmap self;
    Fill(self, 3, 1, clWhite);
    self.Canvas().SetPixels(0, 0, clRed);
    self.Canvas().Draw(1, 0, self);
    EXPECT_EQ(self.Canvas().Pixels(1, 0), clRed);
    EXPECT_EQ(self.Canvas().Pixels(2, 0), clWhite);
}

TEST(Canvas, TextOutFillsItsCellAndDrawsInTheFontColour)
{
    test::EnsureQtApp();
    TBitmap b;
    Fill(b, 120, 40, clWhite);
    TCanvas& c = b.Canvas();
    c.Font.Size = 12;
    c.Font.Color = clBlue;
    c.Brush.Color = clYellow;
    const int w = c.TextWidth("Hello"), h = c.TextHeight("Hello");
    ASSERT_GT(w, 10);
    ASSERT_GT(h, 10);
    c.TextOut(5, 5, "Hello");
    int blue = 0, yellow = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const TColor p = c.Pixels(x, y);
            const bool inside = x >= 5 && x < 5 + w && y >= 5 && y < 5 + h;
            if (!inside) outside += p != clWhite;
            else if (p == clBlue) ++blue;
            else if (p == clYellow) ++yellow;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(blue, 10);
    EXPECT_GT(yellow, w * h / 2);

    // A clear brush leaves the background alone.
    TBitmap clear;
    Fill(clear, 120, 40, clWhite);
    clear.Canvas().Brush.Style = TBrushStyle::bsClear;
    clear.Canvas().Font.Color = clBlack;
    clear.Canvas().TextOut(5, 5, "Hello");
    EXPECT_EQ(clear.Canvas().Pixels(5, 5), clWhite);
}

TEST(Canvas, SetSizeKeepsWhatOverlapsAndFillsTheRestWithTheBrush)
{
    TBitmap b;
    Fill(b, 2, 2, clRed);
    b.Canvas().Brush.Color = clLime;
    b.SetSize(3, 1);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 1);
    EXPECT_EQ(b.Canvas().Pixels(1, 0), clRed);
    EXPECT_EQ(b.Canvas().Pixels(2, 0), clLime);
    b.SetSize(0, 5);
    EXPECT_TRUE(b.Empty());
    EXPECT_THROW(b.SetSize(-1, 1), EInvalidGraphic);
    EXPECT_THROW(b.SetSize(32769, 1), EInvalidGraphic);
    EXPECT_THROW(b.SetSize(20000, 20000), EInvalidGraphic);
}
