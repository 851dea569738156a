#include "components/controls/velglyph.h"
#include "tests/support/PixelMap.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velvane;
using test::PaintedBitmap;
using test::Rows;

namespace {

// The state's cell as the strip keeps it: black where it is see-through.
Rows CellOf(TVELGlyph& glyph, int state)
{
    TBitmap cell;
    const int index = glyph.GetStateCell(state);  // makes the cells, and so the list
    glyph.GlyphList()->CopyCell(index, &cell);
    return test::RowsOf(cell);
}

} // namespace

TEST(Glyphs, EachStateTakesItsOwnCellOrOneMadeFromTheFirst)
{
    velvane::test::ClassicColours classic;
    test::EnsureQtApp();
    TVELGlyph glyph;
    // Two 4 x 4 cells on olive: two squares wide, so NumGlyphs 2.
    PaintedBitmap two({"nRRoBBBo", "nRRoBBBo", "onnooBoo", "oooooooo"});
    glyph.SetBitmap(&two);
    EXPECT_EQ(CellOf(glyph, 1), (Rows{"BBBK", "BBBK", "KBKK", "KKKK"})) << "the bitmap's own disabled cell";
    EXPECT_EQ(glyph.GetStateCell(2), glyph.GetStateCell(0)) << "no hot cell: the normal one";
    EXPECT_EQ(glyph.GetStateCell(7), glyph.GetStateCell(1));

    // One cell: disabled embosses its black (shadow over highlight, one pixel
    // down and right); uncoloured, normal turns grey and hot keeps colour.
    PaintedBitmap one({"KRRo", "KRRo", "oKKo"});
    glyph.SetBitmap(&one);
    EXPECT_EQ(glyph.NumGlyphs(), 2) << "no whole number of squares: kept";
    glyph.SetNumGlyphs(1);
    EXPECT_EQ(CellOf(glyph, 1), (Rows{"gKKK", "g.KK", "KggK"}));
    glyph.SetStyle(gsUnColored);
    EXPECT_EQ(CellOf(glyph, 2), (Rows{"KRRK", "KRRK", "KKKK"}));
    for (const std::string& row : CellOf(glyph, 0)) EXPECT_EQ(row.find('R'), std::string::npos) << row;
}

TEST(Glyphs, SizesShareAStripThatGoesWithItsLastCell)
{
    test::EnsureQtApp();
    PaintedBitmap square(Rows(30, std::string(30, 'R')));
    auto a = std::make_unique<TVELGlyph>(), b = std::make_unique<TVELGlyph>();
    a->SetBitmap(&square);
    b->SetBitmap(&square);
    EXPECT_EQ(a->GetStateCell(0) + b->GetStateCell(0), 0 + 1);
    // A change of cell count gives the cells back; the freed one is the next
    // given out.
    a->SetNumGlyphs(3);
    EXPECT_EQ(a->GlyphList(), nullptr);
    a->SetNumGlyphs(1);
    EXPECT_EQ(a->GetStateCell(1), 0);
    b.reset();
    EXPECT_EQ(GlyphCache->ListCount(), 1);
    a.reset();
    EXPECT_EQ(GlyphCache, nullptr) << "no glyph left, no cache";

    // Five cells asked of a bitmap two pixels wide: one-pixel cells inside
    // it, not cells of no width.
    TVELGlyph narrow;
    PaintedBitmap thin({"RB", "RB"});
    narrow.SetBitmap(&thin);
    narrow.SetNumGlyphs(5);
    EXPECT_EQ(CellOf(narrow, 1), (Rows{"B", "B"}));
}

TEST(GlyphStrip, EightPicturesOnOliveAndNumbersOutsideTakeTheNearest)
{
    test::EnsureQtApp();
    std::vector<Rows> pictures;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 200}) {
        TBitmap cell;
        LoadGlyphCell(&cell, n);
        EXPECT_EQ(cell.Width() * 100 + cell.Height(), 1314);
        EXPECT_EQ(cell.TransparentColor(), 0x008080u) << n;
        pictures.push_back(test::RowsOf(cell));
    }
    EXPECT_TRUE(pictures[0] == pictures[1] && pictures[9] == pictures[8] && pictures[10] == pictures[8])
        << "outside 1..8 the nearest end (200 is 72 of the 128 a byte names)";
    for (std::size_t n = 1; n < 8; ++n) EXPECT_NE(pictures[n], pictures[n + 1]);
    EXPECT_EQ(pictures[1][9].substr(0, 11), "oKKooKKooKK") << "the ellipsis";
    EXPECT_EQ(pictures[5][2][1], 'R') << "the calendar's red top";
}
