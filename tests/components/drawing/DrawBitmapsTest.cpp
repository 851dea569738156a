// The bitmap drawing routines on small bitmaps, pixel by pixel at their
// edges.

#include "components/drawing/DrawRoutinesBitmaps.h"
#include "tests/support/PixelMap.h"

#include <gtest/gtest.h>

using namespace velvane;
using test::Paint;
using test::PaintedBitmap;
using test::Rows;
using test::RowsOf;

TEST(BltImage, PlacesCentresStretchesAndTilesAsAsked)
{
    struct Case {
        int sw, sh, tw, th, flags;
        TRect drawn;
    } cases[] = {
        {10, 10, 15, 15, dfCenter, Rect(2, 2, 12, 12)},
        {10, 10, 5, 5, dfCenter, Rect(-2, -2, 8, 8)},
        {50, 25, 100, 40, dfStretch, Rect(0, 0, 100, 40)},
        {50, 25, 100, 40, dfStretch | dfFullWidth, Rect(0, 0, 100, 50)},
        {50, 25, 100, 40, dfStretch | dfFullHeight, Rect(0, 0, 80, 40)},
        {50, 25, 100, 40, dfStretch | dfProportional, Rect(0, 0, 80, 40)},
        {2, 1, 5, 9, dfStretch | dfFullWidth, Rect(0, 0, 5, 2)},  // 2.5 rounds to even
        {2, 1, 7, 9, dfStretch | dfFullWidth, Rect(0, 0, 7, 4)},  // 3.5 too
        {10, 10, 15, 15, dfCenter | dfStretch, Rect(0, 0, 15, 15)},
        {16, 16, 40, 20, dfTile | dfStretch, Rect(0, 0, 40, 20)},
        {0, 10, 15, 15, 0, Rect(0, 0, 15, 15)},  // nothing placed: the target
    };
    for (const Case& c : cases) {
        TBitmap source, target;
        FillBitmap(&source, Rect(0, 0, std::max(c.sw, 1), c.sh), clRed);
        FillBitmap(&target, Rect(0, 0, c.tw, c.th), clWhite);
        TRect drawn;
        BltImage(target.Canvas(), Rect(0, 0, c.tw, c.th), &source.Canvas(), drawn, nullptr, nullptr, 0, c.flags,
                 Rect(0, 0, c.sw, c.sh));
        EXPECT_EQ(drawn, c.drawn) << c.sw << "x" << c.sh << " flags " << c.flags;
        if (&c != &cases[0]) continue;
        // The centred copy lands exactly: red from (2, 2) to (11, 11).
        for (auto [x, y, colour] : {std::tuple{1, 2, clWhite}, {2, 2, clRed}, {11, 11, clRed}, {12, 11, clWhite}})
            EXPECT_EQ(target.Canvas().Pixels(x, y), colour) << x << "," << y;
    }
}

TEST(BltImage, RefusesWhatItCannotDrawFrom)
{
    PaintedBitmap target({"...", "..."});
    TRect drawn = Rect(1, 1, 2, 2);
    // No source canvas: nothing, whatever the flags.
    for (int flags : {0, dfStretch, dfTile, dfTransparent, dfMasked, dfBrushCopy}) {
        BltImage(target.Canvas(), Rect(0, 0, 3, 2), nullptr, drawn, nullptr, nullptr, 0, flags, Rect(0, 0, 3, 2));
        EXPECT_EQ(drawn, TRect{}) << flags;
    }
    // Stretching from a source without width or height divides by nothing.
    PaintedBitmap source({"RRR"});
    for (TRect from : {Rect(0, 0, 0, 1), Rect(0, 0, 3, 0)}) {
        BltImage(target.Canvas(), Rect(0, 0, 3, 2), &source.Canvas(), drawn, nullptr, nullptr, 0,
                 dfStretch | dfFullWidth, from);
        EXPECT_EQ(drawn, TRect{});
    }
    BltImage(target.Canvas(), Rect(2, 0, 2, 2), &source.Canvas(), drawn, nullptr, nullptr, 0, 0, Rect(0, 0, 3, 1));
    EXPECT_EQ(drawn, TRect{});
    EXPECT_EQ(RowsOf(target), (Rows{"...", "..."}));
}

TEST(BltImage, TransparentMaskedAndBrushCopiedDrawsKeepTheTargetWhereTheyShould)
{
    // A mask made from the colour argument.
    PaintedBitmap source({"RGR"}), target({"BBB"});
    TRect drawn;
    BltImage(target.Canvas(), Rect(0, 0, 3, 1), &source.Canvas(), drawn, nullptr, nullptr, clRed, dfTransparent,
             Rect(0, 0, 3, 1));
    EXPECT_EQ(RowsOf(target), (Rows{"BGB"}));

    // A mask given: black opaque, white transparent; the image is black where
    // it is transparent. The target's colours and copy mode come back.
    PaintedBitmap image({"RKB"}), mask({"K.K"});
    mask.SetMonochrome(true);
    Paint(target, {"YYY"});
    target.Canvas().CopyMode = cmSrcInvert;
    BltImage(target.Canvas(), Rect(0, 0, 3, 1), &image.Canvas(), drawn, &mask, nullptr, 0, dfMasked,
             Rect(0, 0, 3, 1));
    EXPECT_EQ(RowsOf(target), (Rows{"RYB"}));
    EXPECT_EQ(target.Canvas().CopyMode, cmSrcInvert);
    EXPECT_EQ(target.Canvas().State.BkColor, clWhite);

    // Brush copy: the bitmap's transparent colour becomes the colour given.
    PaintedBitmap bitmap({"RGo"});
    Paint(target, {"..."});
    BltImage(target.Canvas(), Rect(0, 0, 3, 1), nullptr, drawn, &bitmap, nullptr, clBlue, dfBrushCopy,
             Rect(0, 0, 3, 1));
    EXPECT_EQ(RowsOf(target), (Rows{"BGo"}));
}

TEST(BltImageClipped, ClipsToTheTargetOrItsMovedCopyAndLeavesNoClipping)
{
    PaintedBitmap source({"RGB"});
    TBitmap target;
    struct Case {
        int flags;
        std::uint32_t offset;
        const char* result;
    } cases[] = {
        {dfTile, 0, ".RGBRGBRGB"},                 // tiles run past the target
        {dfTile | dfClip, 0, ".RGBRGBR.."},        // cut at the target's edge
        {dfTile | dfClip, 0x00000002, "...BRGBRGB"},  // the clip moved right by 2
        {dfTile | dfClip, 0x0000FFFF, ".RGBRGB..."},  // and left by 1 (signed)
        {dfTile | dfClip, 0x00010000, ".........."},  // and down, below the picture
    };
    for (const Case& c : cases) {
        Paint(target, {".........."});
        BltImageClipped(target.Canvas(), Rect(1, 0, 8, 1), &source.Canvas(), nullptr, 0, c.offset, c.flags,
                        Rect(0, 0, 3, 1));
        EXPECT_EQ(RowsOf(target), (Rows{c.result})) << std::hex << c.offset;
        EXPECT_FALSE(target.Canvas().State.Clipped);
    }
}

TEST(DrawBitmap, DrawsTheWholeBitmapAndReportsWhereItWent)
{
    PaintedBitmap bitmap({"RG", "oo"}), target({"....", "....", "...."});
    TRect drawn;
    DrawBitmapRect(target.Canvas(), Rect(1, 1, 4, 3), &bitmap, drawn, 0, dfRealizePalette);
    EXPECT_EQ(drawn, Rect(1, 1, 3, 3));
    EXPECT_EQ(RowsOf(target), (Rows{"....", ".RG.", ".oo."}));

    // Brush copy replaces the bottom-left colour; the clip keeps it inside.
    Paint(target, {"....", "....", "...."});
    DrawBitmap(target.Canvas(), Rect(0, 0, 1, 2), &bitmap, clBlue, 0, dfBrushCopy | dfClip);
    EXPECT_EQ(RowsOf(target), (Rows{"R...", "B...", "...."}));
    DrawBitmap(target.Canvas(), Rect(0, 0, 4, 3), nullptr, clBlue, 0, 0);
    DrawBitmapRect(target.Canvas(), Rect(0, 0, 4, 3), nullptr, drawn, 0, 0);
    EXPECT_EQ(drawn, TRect{});
}

TEST(DerivedBitmaps, SplitFillGreyAndEmboss)
{
    velvane::test::ClassicColours classic;
    PaintedBitmap source({"RGRB"});
    TBitmap mask, image;
    SplitMaskedBitmap(source, &mask, &image, clRed);
    EXPECT_TRUE(mask.Monochrome());
    EXPECT_EQ(RowsOf(mask), (Rows{".K.K"}));
    EXPECT_EQ(RowsOf(image), (Rows{"KGKB"}));

    TBitmap filled;
    FillBitmap(&filled, Rect(5, 5, 7, 6), clNavy);
    EXPECT_EQ(RowsOf(filled), (Rows{"nn"}));
    FillBitmap(&filled, Rect(5, 5, 5, 6), clRed);  // empty: left alone
    EXPECT_EQ(RowsOf(filled), (Rows{"nn"}));

    // Greys by brightness against the mean of the pixels unlike the top left
    // one: a dark picture pulls the steps down.
    struct Case {
        const char* picture;
        const char* greyed;
    } greys[] = {{"oKgs.", "oKg.."}, {"oKKKg", "oggg."}, {"ooooo", "ooooo"}};
    for (const Case& c : greys) {
        Paint(source, {c.picture});
        TBitmap greyed;
        MakeDisabledBitmap(greyed, source);
        EXPECT_EQ(RowsOf(greyed), (Rows{c.greyed})) << c.picture;
    }

    // Black pixels stamped in the button highlight one step down and right,
    // then in the button shadow in place, on the transparent colour.
    Paint(source, {"oKo", "oKo"});
    TBitmap embossed;
    embossed.SetSize(3, 2);
    MakeEmbossedBitmap(embossed, source, 0, 0);
    EXPECT_EQ(RowsOf(embossed), (Rows{"ogo", "og."}));
}
