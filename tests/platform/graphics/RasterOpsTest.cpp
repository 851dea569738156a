// Block transfers, monochrome pictures, stretching and clipping, pixel by
// pixel at the edges.

#include "platform/graphics/RasterOps.h"
#include "platform/graphics/Region.h"
#include "platform/win/Bitmaps.h"
#include "tests/support/PixelMap.h"

#include <gtest/gtest.h>

using namespace velvane;
using test::Paint;
using test::PaintedBitmap;
using test::Rows;
using test::RowsOf;

namespace {

HDC Dc(TBitmap& b) { return b.Canvas().Handle(); }

} // namespace

TEST(RasterOps, EveryOperationCombinesPatternSourceAndTargetByItsTruthTable)
{
    // With pattern 0xF0, source 0xCC and target 0xAA in every channel, an
    // operation's result is its own code.
    TBitmap source, target;
    for (unsigned code = 0; code < 256; ++code) {
        source.SetSize(1, 1);
        source.Canvas().SetPixels(0, 0, 0xCCCCCC);
        target.SetSize(1, 1);
        target.Canvas().SetPixels(0, 0, 0xAAAAAA);
        target.Canvas().Brush.Color = 0xF0F0F0;
        ASSERT_TRUE(BitBlt(Dc(target), 0, 0, 1, 1, Dc(source), 0, 0, code << 16));
        ASSERT_EQ(target.Canvas().Pixels(0, 0), code * 0x010101u) << std::hex << code;
    }
    EXPECT_FALSE(BitBlt(Dc(target), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));  // reads a source it lacks
    EXPECT_TRUE(BitBlt(Dc(target), 0, 0, 1, 1, nullptr, 0, 0, PATCOPY));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, Dc(source), 0, 0, SRCCOPY));
}

TEST(RasterOps, BlocksStayInsideBothPicturesAndReadAPictureAsItWas)
{
    PaintedBitmap source({"RG", "BY"}), target({"....", "....", "...."});
    // Hanging over the target's right and bottom edges and the source's left.
    BitBlt(Dc(target), 2, 1, 3, 3, Dc(source), -1, 0, SRCCOPY);
    EXPECT_EQ(RowsOf(target), (Rows{"....", "...R", "...B"}));

    // A block moved onto itself reads the pixels from before the move.
    PaintedBitmap row({"RGBK"});
    BitBlt(Dc(row), 1, 0, 3, 1, Dc(row), 0, 0, SRCCOPY);
    EXPECT_EQ(RowsOf(row), (Rows{"RRGB"}));
}

TEST(RasterOps, MonochromeAndColourPicturesMeetThroughTheContextColours)
{
    PaintedBitmap mono({"K."});
    mono.SetMonochrome(true);  // the brush is white: white stays white
    ASSERT_EQ(RowsOf(mono), (Rows{"K."}));

    // White takes the target's background colour, black its text colour.
    PaintedBitmap colour({"gg"});
    SetBkColor(Dc(colour), clRed);
    SetTextColor(Dc(colour), clBlue);
    BitBlt(Dc(colour), 0, 0, 2, 1, Dc(mono), 0, 0, SRCCOPY);
    EXPECT_EQ(RowsOf(colour), (Rows{"BR"}));

    // The source's background colour turns white, everything else black.
    PaintedBitmap picture({"RGB"}), mask({"KKK"});
    mask.SetMonochrome(true);
    EXPECT_EQ(SetBkColor(Dc(picture), clLime), clWhite);
    BitBlt(Dc(mask), 0, 0, 3, 1, Dc(picture), 0, 0, SRCCOPY);
    EXPECT_EQ(RowsOf(mask), (Rows{"K.K"}));

    // A brush on a monochrome target is white when light, black when dark.
    mask.Canvas().Brush.Color = clSilver;
    BitBlt(Dc(mask), 0, 0, 1, 1, nullptr, 0, 0, PATCOPY);
    mask.Canvas().Brush.Color = clNavy;
    BitBlt(Dc(mask), 1, 0, 1, 1, nullptr, 0, 0, PATCOPY);
    EXPECT_EQ(RowsOf(mask), (Rows{".KK"}));
    EXPECT_EQ(GetBkColor(nullptr), CLR_INVALID);
}

TEST(RasterOps, StretchingTakesThePixelUnderEachCentreAndClippingKeepsTheMapping)
{
    PaintedBitmap source({"RGB", "YMC", "Kgs"}), wide({".....", "....."});
    EXPECT_EQ(SetStretchBltMode(Dc(wide), COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(Dc(wide), 9), 0);
    EXPECT_EQ(GetStretchBltMode(Dc(wide)), COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(Dc(wide), 0, 0, 5, 2, Dc(source), 0, 0, 3, 3, SRCCOPY));
    EXPECT_EQ(RowsOf(wide), (Rows{"RRGBB", "KKgss"}));

    PaintedBitmap clipped({".....", "....."});
    HRGN region = CreateRectRgn(5, 2, 2, 1);  // corners in any order
    EXPECT_EQ(SelectClipRgn(Dc(clipped), region), SIMPLEREGION);
    EXPECT_TRUE(DeleteRegion(region));  // the context keeps its own copy
    StretchBlt(Dc(clipped), 0, 0, 5, 2, Dc(source), 0, 0, 3, 3, SRCCOPY);
    EXPECT_EQ(RowsOf(clipped), (Rows{".....", "..gss"}));

    // Nothing to scale from or to.
    EXPECT_FALSE(StretchBlt(Dc(wide), 0, 0, 5, 2, Dc(source), 0, 0, 0, 3, SRCCOPY));
    EXPECT_FALSE(StretchBlt(Dc(wide), 0, 0, 0, 2, Dc(source), 0, 0, 3, 3, SRCCOPY));
}

TEST(RasterOps, ClippingRegionsHoldEveryDrawingUntilRemoved)
{
    PaintedBitmap b({"....", "....", "...."});
    HDC dc = Dc(b);
    HRGN region = CreateRectRgnIndirect(Rect(1, 1, 3, 2));
    ASSERT_EQ(SelectClipRgn(dc, region), SIMPLEREGION);
    b.Canvas().Brush.Color = clRed;
    b.Canvas().FillRect(Rect(0, 0, 4, 3));
    b.Canvas().SetPixels(0, 0, clBlue);
    b.Canvas().SetPixels(2, 1, clBlue);
    EXPECT_EQ(RowsOf(b), (Rows{"....", ".RB.", "...."}));

    // DeleteObject frees a region once; a stale handle selects nothing.
    EXPECT_EQ(DeleteObject(region), TRUE);
    EXPECT_EQ(DeleteObject(region), FALSE);
    EXPECT_EQ(SelectClipRgn(dc, region), RGN_ERROR);
    EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
    b.Canvas().FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(b.Canvas().Pixels(0, 0), clRed);

    HRGN empty = CreateRectRgn(2, 2, 2, 2);
    EXPECT_EQ(SelectClipRgn(dc, empty), NULLREGION);
    b.Canvas().FillRect(Rect(0, 0, 4, 3));
    EXPECT_EQ(b.Canvas().Pixels(3, 2), clWhite);
    DeleteObject(empty);
}

TEST(RasterOps, BitmapsTurnMonochromeMaskAndNameTheirTransparentColour)
{
    PaintedBitmap b({"RGK.", "oRRR"});
    EXPECT_EQ(b.TransparentColor(), 0x008080u);  // bottom left
    b.SetTransparentColor(clLime);
    EXPECT_EQ(TBitmap().TransparentColor(), clWhite);

    // Turning monochrome, the brush colour becomes white.
    TBitmap mono;
    mono.Assign(b);
    EXPECT_EQ(mono.TransparentColor(), clLime);
    mono.Canvas().Brush.Color = clRed;
    mono.SetMonochrome(true);
    EXPECT_TRUE(mono.Monochrome());
    EXPECT_EQ(RowsOf(mono), (Rows{".KKK", "K..."}));

    b.Mask(clRed);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(RowsOf(b), (Rows{".KKK", "K..."}));
}

TEST(RasterOps, CanvasCopiesFollowTheCopyModeAndBrushCopyPaintsOneColour)
{
    PaintedBitmap source({"RGR"}), target({"BBBBBB"});
    TCanvas& canvas = target.Canvas();
    canvas.Brush.Color = clYellow;
    canvas.BrushCopy(Rect(0, 0, 6, 1), source, Rect(0, 0, 3, 1), clRed);
    EXPECT_EQ(RowsOf(target), (Rows{"YYGGYY"}));

    canvas.CopyMode = cmSrcInvert;
    canvas.CopyRect(Rect(0, 0, 3, 1), source.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(canvas.Pixels(0, 0), clYellow ^ clRed);
    canvas.CopyRect(Rect(3, 0, 3, 1), source.Canvas(), Rect(0, 0, 3, 1));  // empty: nothing
    EXPECT_EQ(canvas.Pixels(3, 0), clLime);

    // Palettes select without effect, but hand back one to restore.
    HPALETTE first = SelectPalette(canvas.Handle(), nullptr, false);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(SelectPalette(canvas.Handle(), first, false), first);
}
