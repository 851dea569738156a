#include "platform/graphics/DrawText.h"
#include "platform/graphics/Fonts.h"
#include "tests/support/PixelMap.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::test::PixelMap;

namespace {

struct DrawText : ::testing::Test {
    DrawText() { velvane::test::EnsureQtApp(); }

    // The size of text laid out in a rectangle width wide.
    TRect Measure(const String& text, unsigned format = 0, int width = 500)
    {
        TRect r{0, 0, width, 0};
        DrawTextExA(picture.canvas, text, r, format | DT_CALCRECT);
        return r;
    }
    TRect Ink(const String& text, unsigned format, TRect r = {0, 0, 60, 40})
    {
        PixelMap p(60, 40, clWhite);
        DrawTextExA(p.canvas, text, r, format);
        return p.Ink(clWhite);
    }

    PixelMap picture{60, 40, clWhite};
};

} // namespace

TEST_F(DrawText, MeasuresLinesWordsTabsAndPrefixes)
{
    const TRect save = Measure("Save");
    const int line = save.Height();
    EXPECT_EQ(Measure("&Save"), save) << "the accelerator mark takes no room";
    EXPECT_GT(Measure("&Save", DT_NOPREFIX).Width(), save.Width());
    EXPECT_EQ(Measure("a&&b"), Measure("a&b", DT_NOPREFIX));

    EXPECT_EQ(Measure("one\r\ntwo\rsix").Height(), 3 * line);
    EXPECT_EQ(Measure("a\tb", DT_EXPANDTABS).Width(), Measure("a       b").Width());
    // Words break where the next would pass the edge; a word too long keeps
    // a line of its own, unbroken.
    const int two = Measure("aaa bbb").Width();
    EXPECT_EQ(Measure("aaa bbb ccc", DT_WORDBREAK, two), (TRect{0, 0, two, 2 * line}));
    EXPECT_GT(Measure("unbreakable", DT_WORDBREAK, 10).Width(), 10);
    EXPECT_LE(Measure("a long caption that does not fit", DT_END_ELLIPSIS | DT_SINGLELINE, 60).Width(), 60);

    SetTextCharacterExtra(picture.canvas, 3);
    EXPECT_EQ(Measure("Save").Width(), save.Width() + 4 * 3);
}

TEST_F(DrawText, DrawsAlignedClippedAndUnderlined)
{
    const TRect centred = Ink("X", DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_NEAR(centred.Left, 60 - centred.Right, 2);
    EXPECT_NEAR(centred.Top, 40 - centred.Bottom, 4);
    EXPECT_LE(Ink("WWWW", 0, TRect{0, 0, 8, 20}).Right, 8) << "cut at the rectangle";
    // The accelerator's line lies below the letters ("Save" has no descenders).
    EXPECT_GT(Ink("&Save", 0).Bottom, Ink("&Save", DT_HIDEPREFIX).Bottom);

    // An opaque brush fills the text's cell; a clear one leaves the picture.
    TRect r{0, 0, 60, 40};
    picture.canvas.Brush.Color = clRed;
    DrawTextExA(picture.canvas, "ab", r, 0);
    EXPECT_EQ(picture.At(1, 1), clRed);
    EXPECT_EQ(picture.At(59, 0), clWhite);
}

TEST_F(DrawText, ExtTextOutTurnsAndPathsRecord)
{
    PixelMap turned(80, 80, clWhite);
    turned.canvas.Font.Orientation = 900;
    ExtTextOutA(turned.canvas, 10, 70, 0, nullptr, "Hello", -1);
    const TRect up = turned.Ink(clWhite);
    EXPECT_GT(up.Height(), up.Width());
    EXPECT_LE(up.Bottom, 71) << "the text rises from its starting point";

    TRect r{0, 0, 60, 40};
    picture.canvas.Font.Size = 20;
    BeginPath(picture.canvas);
    DrawTextExA(picture.canvas, "O", r, 0);
    EndPath(picture.canvas);
    EXPECT_EQ(picture.Ink(clWhite), TRect{}) << "recorded, not drawn";
    picture.canvas.Pen.Color = clRed;
    EXPECT_TRUE(StrokePath(picture.canvas));
    EXPECT_FALSE(picture.Ink(clWhite).IsEmpty());
    EXPECT_FALSE(StrokePath(picture.canvas)) << "the path is used up";
}

TEST(Fonts, LogicalFontsRoundTripAndKeepTheColour)
{
    velvane::test::EnsureQtApp();
    TFont font;
    font.Style = fsBold;
    font.Color = clRed;
    LOGFONTA lf = GetLogFont(font);
    EXPECT_EQ(lf.lfHeight, -11);  // 8 points at 96 dots per inch
    lf.lfEscapement = 450;
    SetLogFont(font, lf);
    EXPECT_EQ(font.Orientation, 450);
    EXPECT_EQ(font.Style, fsBold);
    EXPECT_EQ(font.Color, clRed);
    EXPECT_EQ(GetLogFont(font).lfHeight, -11);
    // A face name that fills the record is cut, never read past its end.
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), 'x');
    SetLogFont(font, lf);
    EXPECT_EQ(font.Name.size(), 32u);
    EXPECT_TRUE(GetTextMetrics(TFont{}).tmPitchAndFamily & TMPF_TRUETYPE);
}
