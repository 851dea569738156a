#include "platform/graphics/Edges.h"
#include "platform/graphics/SysColors.h"
#include "tests/support/PixelMap.h"

#include <gtest/gtest.h>

#include <string>

using namespace velvane;
using velvane::test::PixelMap;

namespace {

// A 6 x 5 edge of two borders: o/p the outer top-left/bottom-right colours,
// i/j the inner ones; one border alone is drawn at the edge itself.
const char* const kTwoBorders = "ooooop\noiiijp\noi..jp\nojjjjp\npppppp\n";
const char* const kOneBorder = "iiiiij\ni....j\ni....j\ni....j\njjjjjj\n";

std::string Expect(std::string out, const std::string& letters)
{
    for (char& c : out)
        if (const auto at = std::string("opij").find(c); at != std::string::npos) c = letters[at];
    return out;
}

} // namespace

TEST(DrawEdge, ClassicColoursOfEveryBorderKind)
{
    velvane::test::ClassicColours classic;
    struct Case { unsigned edge; bool soft; const char* letters; };  // letters: o p i j
    const Case cases[] = {
        {EDGE_RAISED, false, "LDHS"}, {EDGE_RAISED, true, "HDLS"},  {EDGE_SUNKEN, false, "SHDL"},
        {EDGE_SUNKEN, true, "DHSL"},  {EDGE_ETCHED, false, "SHHS"}, {EDGE_ETCHED, true, "DHLS"},
        {EDGE_BUMP, false, "LDDL"},   {EDGE_BUMP, true, "HDSL"},    {BDR_RAISEDOUTER, false, "..LD"},
        {BDR_SUNKENOUTER, true, "..DH"}, {BDR_RAISEDINNER, true, "..LS"}, {BDR_SUNKENINNER, false, "..DL"},
    };
    for (const Case& c : cases) {
        PixelMap p(6, 5);
        TRect r{0, 0, 6, 5};
        EXPECT_TRUE(DrawEdge(p.canvas, r, c.edge, BF_RECT | (c.soft ? BF_SOFT : 0)));
        const bool two = (c.edge & 3) && (c.edge & 12);
        EXPECT_EQ(p.Map(), Expect(two ? kTwoBorders : kOneBorder, c.letters)) << c.edge << " soft " << c.soft;
        EXPECT_EQ(r, (TRect{0, 0, 6, 5})) << "no BF_ADJUST, no change";
    }
    EXPECT_EQ(ColorToRGB(0x1FFFFFFF), 0x1FFFFFFFu) << "the library's \"no colour\" is no system colour";
}

TEST(DrawEdge, SidesAdjustMiddleAndDiagonals)
{
    velvane::test::ClassicColours classic;
    // One side runs the full length; BF_ADJUST moves in only the sides drawn.
    PixelMap bottom(5, 4), falling(4, 4);
    TRect r{0, 0, 5, 4};
    DrawEdge(bottom.canvas, r, EDGE_SUNKEN, BF_BOTTOM | BF_SOFT | BF_ADJUST);
    EXPECT_EQ(bottom.Map(), ".....\n.....\nLLLLL\nHHHHH\n");
    EXPECT_EQ(r, (TRect{0, 0, 5, 2}));

    PixelMap p(6, 5);
    r = TRect{0, 0, 6, 5};
    DrawEdge(p.canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, (TRect{2, 2, 4, 3}));
    EXPECT_EQ(p.Map(r), "FF\n");

    r = TRect{0, 0, 4, 4};
    DrawEdge(falling.canvas, r, EDGE_RAISED, BF_DIAGONAL_ENDBOTTOMRIGHT | BF_MIDDLE);
    EXPECT_EQ(falling.Map(), "DSFF\nFDSF\nFFDS\nFFFD\n");
}
