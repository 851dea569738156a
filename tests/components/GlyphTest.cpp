#include "components/velglyph.h"
#include "tests/support/PixelMap.h"
#include "tests/support/PixelMaps.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velvane;
using velvane::test::Paint;
using velvane::test::Rows;
using velvane::test::RowsOf;

namespace {

std::unique_ptr<TBitmap> Picture(const Rows& rows)
{
    auto bitmap = std::make_unique<TBitmap>();
    Paint(*bitmap, rows);
    return bitmap;
}

// The state's cell as the strip keeps it: black where it is see-through.
Rows CellOf(TVELGlyph& glyph, int state)
{
    TBitmap cell;
    const int index = glyph.GetStateCell(state);
    glyph.GlyphList()->CopyCell(index, &cell);
    return RowsOf(cell);
}

struct Glyphs : ::testing::Test {
    Glyphs() { velvane::test::EnsureQtApp(); }
    // Two 4 x 3 cells on olive: black and red, then blue.
    std::unique_ptr<TBitmap> two = Picture({"nRRoBBBo", "nRRoBBBo", "onnooBoo"});
};

} // namespace

TEST_F(Glyphs, EachStateTakesItsOwnCellOrOneMadeFromTheFirst)
{
    TVELGlyph glyph;
    auto wide = Picture({"nRRoBBBo", "nRRoBBBo", "onnooBoo", "oooooooo"});
    glyph.SetBitmap(wide.get());
    EXPECT_EQ(glyph.NumGlyphs(), 2) << "two squares wide";
    glyph.SetBitmap(two.get());
    EXPECT_EQ(glyph.NumGlyphs(), 2) << "not a whole number of squares: kept";
    EXPECT_EQ(CellOf(glyph, 1), (Rows{"BBBK", "BBBK", "KBKK"})) << "the bitmap's own disabled cell";
    EXPECT_EQ(glyph.GetStateCell(2), glyph.GetStateCell(0)) << "no hot cell: the normal one";
    EXPECT_EQ(glyph.GetStateCell(7), glyph.GetStateCell(1));

    // One cell: disabled is the black of it embossed (shadow over a
    // highlight one pixel down and right); uncoloured, the normal state
    // turns grey and hot keeps the colours.
    glyph.SetNumGlyphs(1);
    auto one = Picture({"KRRo", "KRRo", "oKKo"});
    glyph.SetBitmap(one.get());
    EXPECT_EQ(CellOf(glyph, 1), (Rows{"gKKK", "g.KK", "KggK"}));
    glyph.SetStyle(gsUnColored);
    EXPECT_EQ(CellOf(glyph, 2), (Rows{"KRRK", "KRRK", "KKKK"}));
    for (const std::string& row : CellOf(glyph, 0)) EXPECT_EQ(row.find('R'), std::string::npos) << row;

    // Drawn through its mask: the olive pixels leave the canvas alone.
    velvane::test::PixelMap p(6, 4, clWhite);
    glyph.SetStyle(gsColored);
    TVELButtonLayout layout;
    layout.SetAlignment(TVELAlignment::agTopLeft);
    glyph.Draw(p.canvas, "", nullptr, TRect{1, 0, 6, 4}, 0, layout, cfEnabled, false, 0);
    TBitmap shown;
    shown.Image() = p.image;
    EXPECT_EQ(RowsOf(shown), (Rows{".KRR..", ".KRR..", "..KK..", "......"}));
}

TEST_F(Glyphs, SizesShareAStripThatGoesWithItsLastCell)
{
    auto square = Picture(Rows(30, std::string(30, 'R')));
    auto a = std::make_unique<TVELGlyph>(), b = std::make_unique<TVELGlyph>();
    a->SetBitmap(square.get());
    b->SetBitmap(square.get());
    EXPECT_EQ(a->GetStateCell(0), 0);
    EXPECT_EQ(b->GetStateCell(0), 1);
    ASSERT_EQ(a->GlyphList(), b->GlyphList());
    EXPECT_EQ(GlyphCache->ListCount(), 1);

    // A change of cell count gives the cells back; the freed one is the next
    // given out.
    a->SetNumGlyphs(3);
    EXPECT_EQ(a->GlyphList(), nullptr);
    EXPECT_EQ(b->GlyphList()->Count(), 1);
    a->SetNumGlyphs(1);
    EXPECT_EQ(a->GetStateCell(1), 0);
    b.reset();
    EXPECT_EQ(GlyphCache->ListCount(), 1);
    a.reset();
    EXPECT_EQ(GlyphCache, nullptr) << "no glyph left, no cache";

    // Five cells asked of a bitmap two pixels wide: one-pixel cells inside
    // it, not cells of no width.
    TVELGlyph narrow;
    auto thin = Picture({"RB", "RB"});
    narrow.SetBitmap(thin.get());
    narrow.SetNumGlyphs(5);
    EXPECT_EQ(CellOf(narrow, 1), (Rows{"B", "B"}));
    EXPECT_EQ(narrow.GlyphList()->Width(), 1);
}

TEST(GlyphStrip, EightPicturesOnOliveAndNumbersOutsideTakeTheNearest)
{
    velvane::test::EnsureQtApp();
    std::vector<Rows> pictures;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 200}) {
        TBitmap cell;
        LoadGlyphCell(&cell, n);
        ASSERT_EQ(cell.Width(), 13);
        ASSERT_EQ(cell.Height(), 14);
        EXPECT_EQ(cell.TransparentColor(), 0x008080u) << n;
        pictures.push_back(RowsOf(cell));
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[9], pictures[8]);
    EXPECT_EQ(pictures[10], pictures[8]) << "200 is 72 of the 128 a byte names";
    for (int n = 1; n < 8; ++n) EXPECT_NE(pictures[static_cast<std::size_t>(n)], pictures[static_cast<std::size_t>(n + 1)]);
    EXPECT_EQ(pictures[1][9].substr(0, 11), "oKKooKKooKK") << "the ellipsis";
    EXPECT_EQ(pictures[5][2][1], 'R') << "the calendar's red top";
    EXPECT_EQ(pictures[8][12][0], 'n') << "the letter's dark blue foot";
    LoadGlyphCell(nullptr, 1);
}
