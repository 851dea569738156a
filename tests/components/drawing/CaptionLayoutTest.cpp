#include "components/drawing/DrawRoutinesCaption.h"
#include "tests/support/PixelMap.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

using namespace velvane;
using velvane::test::PixelMap;

namespace {

struct Counted {
    explicit Counted(TVELObject& object) { object.OnChange = [this](TPersistent*) { ++changes; }; }
    int changes = 0;
};

} // namespace

TEST(CaptionObjects, ChangesAreToldOnceAndSummariesRead)
{
    TVELButtonLayout layout, other;
    Counted told(layout);
    layout.SetSpacing(2);
    EXPECT_EQ(told.changes, 0) << "same value, no change";
    layout.SetOffset(1, 7);
    other.SetArrow(true);
    other.SetAlignment(TVELAlignment::agBottomLeft);
    layout.Assign(other);
    EXPECT_EQ(told.changes, 2) << "five setters ran, one notice";
    EXPECT_TRUE(layout.Arrow());
    EXPECT_EQ(layout.OffsetY(), 0);
    EXPECT_EQ(layout.Alignment(), TVELAlignment::agBottomLeft);

    TVEL3DCaption caption;
    TVELFxCaption fx;
    Counted fxTold(fx);
    fx.SetAngle(360);
    EXPECT_EQ(fx.Angle(), 0);
    EXPECT_EQ(fxTold.changes, 1) << "compared before it became 0";
    fx.SetAngle(30);
    fx.SetPos(5, 6);
    EXPECT_EQ(fxTold.changes, 2) << "SetPos tells no one";
    caption.SetStyle(TVELThreeDStyle::tdShadow);
    fx.Assign(caption);
    EXPECT_EQ(fxTold.changes, 3);
    EXPECT_EQ(fx.Style(), TVELThreeDStyle::tdShadow);
    EXPECT_EQ(fx.Angle() + fx.PosY(), 30 + 6) << "a plain caption has no angle or position to give";

    using T = TVELThreeDStyle;
    for (const auto& [look, angle, summary] : {std::tuple{T::tdExtrudeEnh, 0, "{extrude enh}"},
                                               std::tuple{T::tdRaised, 45, "{raised, rot: 45\u00B0}"},
                                               std::tuple{T::tdNone, 30, "{ rot: 30\u00B0}"}}) {
        fx.SetStyle(look);
        fx.SetAngle(static_cast<TVELAngle>(angle));
        EXPECT_EQ(fx.GetSummary(), summary);
    }
}

TEST(CaptionText, BlendColorResolvesSystemColours)
{
    velvane::test::ClassicColours classic;
    EXPECT_EQ(BlendColor(clBtnShadow, clBtnHighlight, 1, 2), 0xBFBFBFu);
    EXPECT_EQ(BlendColor(clBlack, clRed, 1, 2), 0x00007Fu);
    EXPECT_EQ(BlendColor(clBtnFace, clBlack, 1, 0), 0xC0C0C0u) << "no steps: the first colour";
}

TEST(CaptionText, MeasuringSetsWhereTurnedTextStarts)
{
    velvane::test::EnsureQtApp();
    TFont font;
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    const int w = canvas.TextWidth("Caption"), h = canvas.TextHeight("Caption");

    TRect r{0, 0, 500, 0};
    MeasureCaptionText("", nullptr, r, 0, 0, true, false, font);
    EXPECT_EQ(r, (TRect{0, 0, canvas.TextWidth(" ") + 2, h + 2})) << "measured as a blank, plus 2";

    TVELFxCaption fx;
    fx.SetAngle(90);
    r = TRect{0, 0, 500, 0};
    MeasureCaptionText("Caption", &fx, r, 0, 0, true, false, font);
    EXPECT_EQ(fx.PosX(), 0);
    EXPECT_EQ(fx.PosY(), w / 2 * 2);
    EXPECT_EQ(r, (TRect{0, 0, h / 2 * 2 + 2, w / 2 * 2 + 2}));

    // A letter squeezed to less than nothing puts the start of a sunken
    // caption one pixel before its rectangle: it stays at 0 instead of
    // wrapping round to 65535.
    fx.SetTracing(-30);
    fx.SetStyle(TVELThreeDStyle::tdSunken);
    fx.SetDepth(0, 3);
    for (int angle : {90, 180}) {
        fx.SetAngle(static_cast<TVELAngle>(angle));
        MeasureCaptionText("i", &fx, r = TRect{0, 0, 500, 0}, 0, 0, true, false, font);
        EXPECT_EQ(std::min(fx.PosX(), fx.PosY()), 0) << angle;
        EXPECT_LT(std::max(fx.PosX(), fx.PosY()), 100) << angle;
    }
}

TEST(CaptionText, EffectsAndDisabledLooks)
{
    velvane::test::EnsureQtApp();
    // The caption drawn on a face-coloured picture; its darkest and lightest shade.
    auto draw = [&](TVEL3DCaption* caption, unsigned flags) {
        PixelMap p(80, 30, 0xC0C0C0);
        p.canvas.Font.Size = 12;
        p.canvas.Brush.Style = TBrushStyle::bsClear;
        DrawCaptionText(p.canvas, "Caption", caption, nullptr, flags, 0, TRect{2, 2, 78, 28});
        return p.image;
    };
    auto shades = [](const QImage& image) {
        std::pair<int, int> range{255, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0, g; x < image.width(); ++x)
                g = qGreen(image.pixel(x, y)), range = {std::min(range.first, g), std::max(range.second, g)};
        return range;
    };
    const QImage plain = draw(nullptr, 0);
    EXPECT_LT(shades(plain).first, 0x40);
    TVEL3DCaption extrude;
    extrude.SetStyle(TVELThreeDStyle::tdExtrude);
    extrude.SetDepth(1, 0);
    EXPECT_EQ(draw(&extrude, cfEnabled), plain) << "no depth: only the text itself";

    // Disabled, drawn sunken in grey over a highlight copy: nothing darker
    // than the grey, and light pixels where the copy shows.
    TVEL3DCaption raised;
    raised.SetStyle(TVELThreeDStyle::tdRaised);
    raised.SetDisabledStyle(TVELDisabledStyle::ds3d);
    const auto disabled = shades(draw(&raised, 0));
    EXPECT_GE(disabled.first, 0x7F);
    EXPECT_GT(disabled.second, 0xE0);
    EXPECT_LT(shades(draw(&raised, cfEnabled)).first, 0x40);
}

namespace {

struct Layout : ::testing::Test {
    Layout() { velvane::test::EnsureQtApp(); }

    // Places "Ab" and a 16 x 16 glyph in a 100 x 40 box; measuring only
    // unless told otherwise.
    TVELLayoutResult Place(const TVELGlyphTextLayout& layout, bool glyph = true, unsigned flags = cfMeasureOnly)
    {
        TVELLayoutResult result;
        focus = glyph ? TRect{0, 0, 16, 16} : TRect{};
        LayoutGlyphText(picture.canvas, "Ab", nullptr, result, 0, flags, true, true, false, layout, clFuchsia, nullptr,
                        focus, glyph ? &glyphCanvas : nullptr, TRect{0, 0, 100, 40});
        return result;
    }

    PixelMap picture{100, 40, clWhite};
    QImage glyphImage{16, 16, QImage::Format_RGB32};
    TCanvas glyphCanvas{glyphImage};
    TRect focus;
};

} // namespace

TEST_F(Layout, TextStandsWhereTheArrangementSays)
{
    using A = TVELTextArrange;
    TVELGlyphTextLayout layout;
    layout.SetAlignment(TVELAlignment::agCenter);
    for (int i = 0; i < 8; ++i) {
        const auto arrange = static_cast<A>(i);
        layout.SetAlignText2Glyph(arrange);
        const TVELLayoutResult r = Place(layout);
        const TRect &t = r.Text, &g = r.Glyph;
        SCOPED_TRACE(i);
        // Two pixels apart; the text sits one pixel right and down of its
        // place in the block.
        const int gap = arrange <= A::taLeftTop    ? g.Left - (t.Right - 1)
                        : arrange <= A::taRightTop ? t.Left - 1 - g.Right
                        : arrange <= A::taTopLeft  ? g.Top - (t.Bottom - 1)
                                                   : t.Top - 1 - g.Bottom;
        EXPECT_EQ(gap, 2);
        const bool centred = arrange == A::taLeft || arrange == A::taRight;
        EXPECT_TRUE(!centred || std::abs((t.Top - 1) * 2 + t.Height() - (g.Top * 2 + 16)) <= 2);
        // The block is centred in the box; the focus goes round it.
        EXPECT_NEAR(r.Bounds.Left + r.Bounds.Right, 100, 3);
        EXPECT_NEAR(r.Bounds.Top + r.Bounds.Bottom, 40, 3);
        EXPECT_EQ(focus, (TRect{r.Bounds.Left - 2, r.Bounds.Top - 2, r.Bounds.Right + 2, r.Bounds.Bottom + 2}));
    }
    layout.SetAlignText2Glyph(A::taLeftTop);
    const int leftTop = Place(layout).Glyph.Top;
    EXPECT_EQ((layout.SetAlignText2Glyph(A::taRightTop), Place(layout).Glyph.Top), leftTop + 1);

    // Text alone: no spacing, the text centred by itself.
    const TVELLayoutResult textOnly = Place(layout, false);
    EXPECT_NEAR(textOnly.Text.Left - 1 + textOnly.Text.Right, 100, 1);
}

TEST_F(Layout, AlignmentOffsetsAndArrows)
{
    TVELButtonLayout layout;
    layout.SetAlignment(TVELAlignment::agTopLeft);
    layout.SetOffset(0, 5);
    const TVELLayoutResult plain = Place(layout);
    EXPECT_EQ(plain.Glyph.Left, 5);
    EXPECT_EQ(plain.Text.Left, 16 + 2 + 1 + 5);
    layout.SetOffset(0, 0);

    // The arrow widens the item it stands by (size 3: 5 pixels, indent 3).
    layout.SetAlignment(TVELAlignment::agTopLeft);
    layout.SetArrow(true);
    EXPECT_EQ(Place(layout).Text.Width(), plain.Text.Width() + 8);
    layout.SetArrowPosition(TVELArrowPosition::apRightGlyph);
    EXPECT_EQ(Place(layout).Glyph.Width(), 16 + 8);
    layout.SetArrowPosition(TVELArrowPosition::apLeftText);
    EXPECT_EQ(Place(layout).Text.Left, plain.Text.Left - 5 + 8);

    // Measuring draws nothing, arrows neither; drawn, the arrow points down
    // at the right end of the text.
    layout.SetArrowPosition(TVELArrowPosition::apRightText);
    layout.SetArrowColor(clRed);
    Place(layout);
    EXPECT_EQ(picture.Ink(clWhite), TRect{});
    const TVELLayoutResult drawn = Place(layout, true, cfEnabled);
    const int x = drawn.Text.Right - 5 - 1, y = drawn.Text.Top + drawn.Text.Height() / 2 - 1;
    EXPECT_EQ(picture.At(x, y) & picture.At(x + 4, y) & picture.At(x + 2, y + 2), clRed) << "five wide, three high";
    EXPECT_NE(picture.At(x + 5, y), clRed);
    EXPECT_EQ(focus, (TRect{1, 1, 99, 39})) << "no focus flag: the box less 1";
}

TEST_F(Layout, EveryAlignmentPlacesTheBlockWithAndWithoutTheArrow)
{
    TVELButtonLayout layout;
    for (bool arrow : {false, true})
        for (int a = 0; a < 9; ++a) {
            layout.SetArrow(arrow);
            layout.SetAlignment(TVELAlignment::agTopLeft);
            // At the top left the block is at the corner, the text one pixel in.
            const TVELLayoutResult c = Place(layout);
            const int w = c.Text.Right - 1 - c.Glyph.Left, h = std::max(c.Text.Bottom - 1, c.Glyph.Bottom);
            layout.SetAlignment(static_cast<TVELAlignment>(a));
            const TVELLayoutResult r = Place(layout);
            const int dx = a % 3 * (100 - w) / 2, dy = a / 3 * (40 - h) / 2;
            using Corners = std::array<int, 4>;
            EXPECT_EQ((Corners{r.Text.Left - dx, r.Text.Top - dy, r.Glyph.Left - dx, r.Glyph.Top - dy}),
                      (Corners{c.Text.Left, c.Text.Top, c.Glyph.Left, c.Glyph.Top})) << a << " " << arrow;
        }
}

TEST_F(Layout, GlyphsAreCopiedWholeOrWithoutTheirTransparentColourAndCaptionsClipped)
{
    glyphImage.fill(ColorToQRgb(clFuchsia));
    glyphCanvas.Brush.Color = clRed;
    glyphCanvas.FillRect(TRect{4, 4, 8, 8});
    for (bool masked : {true, false}) {
        picture.image.fill(ColorToQRgb(clWhite));
        TVELLayoutResult result;
        LayoutGlyphText(picture.canvas, "", nullptr, result, 0, cfEnabled, masked, true, false, TVELGlyphTextLayout(),
                        clFuchsia, nullptr, focus = TRect{0, 0, 16, 16}, &glyphCanvas, TRect{0, 0, 100, 40});
        EXPECT_EQ(picture.Ink(clWhite), masked ? (TRect{4, 4, 8, 8}) : (TRect{0, 0, 16, 16})) << masked;
    }
    // Nothing outside the clip, and the canvas is left unclipped.
    TVEL3DCaption caption;
    picture.image.fill(ColorToQRgb(clWhite));
    const TRect clip{0, 0, 6, 40};
    DrawCaptionText(picture.canvas, "WWWW", &caption, &clip, cfEnabled | cfClip, 0, TRect{0, 0, 100, 40});
    EXPECT_EQ(picture.Ink(clWhite).Right, 6);
    EXPECT_FALSE(picture.canvas.State.Clipped);
}
