#include "platform/graphics/Edges.h"
#include "platform/graphics/SysColors.h"
#include "tests/support/PixelMap.h"

#include <gtest/gtest.h>

#include <string>

using namespace velvane;
using velvane::test::PixelMap;

namespace {

// A 6 x 5 edge of two borders: o/p the outer top-left/bottom-right colours,
// i/j the inner ones.
const char* const kTwoBorders =
    "ooooop\n"
    "oiiijp\n"
    "oi..jp\n"
    "ojjjjp\n"
    "pppppp\n";
const char* const kOneBorder =
    "iiiiij\n"
    "i....j\n"
    "i....j\n"
    "i....j\n"
    "jjjjjj\n";

std::string Expect(const char* pattern, const std::string& letters)
{
    std::string out = pattern;
    for (char& c : out) {
        const auto at = std::string("opij").find(c);
        if (at != std::string::npos) c = letters[at];
    }
    return out;
}

} // namespace

TEST(DrawEdge, ClassicColoursOfEveryBorderKind)
{
    struct Case {
        unsigned edge;
        bool soft;
        const char* letters;  // o p i j
    };
    const Case cases[] = {
        {EDGE_RAISED, false, "LDHS"},     {EDGE_RAISED, true, "HDLS"},      {EDGE_SUNKEN, false, "SHDL"},
        {EDGE_SUNKEN, true, "DHSL"},      {EDGE_ETCHED, false, "SHHS"},     {EDGE_ETCHED, true, "DHLS"},
        {EDGE_BUMP, false, "LDDL"},       {EDGE_BUMP, true, "HDSL"},        {BDR_RAISEDOUTER, false, "..LD"},
        {BDR_RAISEDOUTER, true, "..HD"},  {BDR_SUNKENOUTER, false, "..SH"}, {BDR_SUNKENOUTER, true, "..DH"},
        {BDR_RAISEDINNER, false, "..HS"}, {BDR_RAISEDINNER, true, "..LS"},  {BDR_SUNKENINNER, false, "..DL"},
        {BDR_SUNKENINNER, true, "..SL"},
    };
    for (const Case& c : cases) {
        PixelMap p(6, 5);
        TRect r{0, 0, 6, 5};
        EXPECT_TRUE(DrawEdge(p.canvas, r, c.edge, BF_RECT | (c.soft ? BF_SOFT : 0)));
        const bool two = (c.edge & 3) && (c.edge & 12);
        EXPECT_EQ(p.Map(), Expect(two ? kTwoBorders : kOneBorder, c.letters)) << c.edge << " soft " << c.soft;
        EXPECT_EQ(r, (TRect{0, 0, 6, 5})) << "no BF_ADJUST, no change";
    }
}

TEST(DrawEdge, OnlyTheNamedSidesAndTheirFullLength)
{
    PixelMap bottom(5, 4);
    TRect r{0, 0, 5, 4};
    DrawEdge(bottom.canvas, r, EDGE_SUNKEN, BF_BOTTOM | BF_SOFT);
    EXPECT_EQ(bottom.Map(), ".....\n.....\nLLLLL\nHHHHH\n");

    // Without a right side the top line runs to the right edge.
    PixelMap top(5, 4);
    r = TRect{0, 0, 5, 4};
    DrawEdge(top.canvas, r, EDGE_RAISED, BF_TOP);
    EXPECT_EQ(top.Map(), "LLLLL\nHHHHH\n.....\n.....\n");

    // Two calls that share the corners make one closed frame.
    PixelMap frame(4, 3);
    r = TRect{0, 0, 4, 3};
    DrawEdge(frame.canvas, r, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_SOFT | BF_ADJUST);
    DrawEdge(frame.canvas, r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
    EXPECT_EQ(frame.Map(), "DDDD\nD..D\nDDDD\n");
    EXPECT_EQ(r, (TRect{1, 1, 4, 3}));
}

TEST(DrawEdge, AdjustMovesInTheDrawnSidesAndMiddleFillsTheRest)
{
    PixelMap p(6, 5);
    TRect r{0, 0, 6, 5};
    DrawEdge(p.canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, (TRect{2, 2, 4, 3}));
    EXPECT_EQ(p.Map(TRect{2, 2, 4, 3}), "FF\n");

    r = TRect{0, 0, 6, 5};
    DrawEdge(p.canvas, r, BDR_RAISEDINNER, BF_LEFT | BF_TOP | BF_ADJUST);
    EXPECT_EQ(r, (TRect{1, 1, 6, 5}));

    // Edges past the picture are cut, not wrapped.
    PixelMap small(3, 3);
    r = TRect{-2, -2, 2, 2};
    DrawEdge(small.canvas, r, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(small.Map(), "LH.\nHH.\n...\n");
}

TEST(DrawEdge, DiagonalsRunCornerToCorner)
{
    PixelMap rising(4, 4);
    TRect r{0, 0, 4, 4};
    DrawEdge(rising.canvas, r, EDGE_ETCHED, BF_DIAGONAL_ENDTOPRIGHT);
    EXPECT_EQ(rising.Map(), "...S\n..SH\n.SH.\nSH..\n");

    PixelMap falling(4, 4);
    r = TRect{0, 0, 4, 4};
    DrawEdge(falling.canvas, r, EDGE_RAISED, BF_DIAGONAL_ENDBOTTOMRIGHT | BF_MIDDLE);
    EXPECT_EQ(falling.Map(), "DSFF\nFDSF\nFFDS\nFFFD\n");
}

TEST(SysColors, SystemColoursResolveEverywhere)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clHighlight), 0x800000u);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0u);
    EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
    EXPECT_EQ(ColorToRGB(0x1FFFFFFF), 0x1FFFFFFFu);  // "no colour" is not a system colour
    // The canvas draws a system colour as its RGB value.
    PixelMap p(1, 1);
    p.canvas.SetPixels(0, 0, clBtnShadow);
    EXPECT_EQ(p.At(0, 0), 0x808080u);
}
