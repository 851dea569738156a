#include "components/drawing/DrawRoutinesBorders.h"
#include "components/drawing/DrawRoutinesButtonFace.h"
#include "components/foundation/VELXPStyles.h"
#include "components/foundation/velclass.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/SysColors.h"
#include "tests/support/PixelMap.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <tuple>

using namespace velvane;
using velvane::test::PixelMap;
using S = TVELUserButtonStyle;

TEST(DrawBorder, LeavesTheAreaInsideEachFrame)
{
    velvane::test::ClassicColours classic;
    struct Case { TVELBorderStyle style; TRect inside; };
    using B = TVELBorderStyle;
    const Case cases[] = {
        {B::lsNone, {0, 0, 20, 20}},         {B::lsSingle, {1, 1, 20, 20}},       {B::lsLowered, {2, 2, 18, 18}},
        {B::lsRaised, {2, 2, 18, 18}},       {B::lsRaisedspb, {1, 1, 18, 18}},    {B::lsLoweredspb, {2, 2, 19, 19}},
        {B::lsRaisedExt, {2, 2, 18, 18}},    {B::lsLoweredExt, {2, 2, 18, 18}},   {B::lsFrameInset, {2, 2, 18, 18}},
        {B::lsFrameOffset, {2, 2, 18, 18}},  {B::lsWindowBorder, {2, 2, 18, 18}}, {B::lsSingleRaised, {1, 1, 19, 19}},
        {B::lsSingleLowered, {1, 1, 19, 19}}, {B::lsDoubleRaised, {2, 2, 18, 18}}, {B::lsDoubleLowered, {2, 2, 18, 18}},
    };
    for (const Case& c : cases) {
        PixelMap p(20, 20);
        TRect r{0, 0, 20, 20};
        EXPECT_TRUE(DrawBorder(p.canvas, r, c.style, 0));
        EXPECT_EQ(r, c.inside) << static_cast<int>(c.style);
    }

    // The caller's flags go to the single frame's first line only: the
    // second is its right and bottom alone.
    PixelMap single(6, 5), parts(6, 5);
    TRect a{0, 0, 6, 5}, b{0, 0, 6, 5};
    DrawBorder(single.canvas, a, B::lsSingle, BF_RECT | BF_MIDDLE);
    DrawEdge(parts.canvas, b, BDR_SUNKENOUTER, BF_ADJUST | BF_SOFT | BF_RECT | BF_MIDDLE);
    DrawEdge(parts.canvas, b, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
    EXPECT_EQ(single.Map(), parts.Map());

    // What some of them look like; the caller's flags fill the middle.
    PixelMap offset(6, 5);
    TRect r{0, 0, 6, 5};
    DrawBorder(offset.canvas, r, B::lsFrameOffset, BF_MIDDLE);
    EXPECT_EQ(offset.Map(), "HHHHHS\nHSSSHS\nHSFFHS\nHHHHHS\nSSSSSS\n");
}

TEST(DrawArrow, RowsNarrowToATipAndDisabledStandsOnAHighlight)
{
    velvane::test::ClassicColours classic;
    PixelMap down(6, 4);
    DrawArrow(down.canvas, 0, 0, 3, clBlack, true, true);
    EXPECT_EQ(down.Map(), "DDDDD.\n.DDD..\n..D...\n......\n");

    PixelMap up(7, 3);
    DrawArrow(up.canvas, 2, 0, 3, clBlack, false, true);
    EXPECT_EQ(up.Map(), "...D...\n..DDD..\n.DDDDD.\n");

    PixelMap grey(4, 3);
    DrawArrow(grey.canvas, 0, 0, 2, clBlack, true, false);
    EXPECT_EQ(grey.Map(), "SSS.\n.SHH\n..H.\n");

    PixelMap none(40, 20);
    DrawArrow(none.canvas, 0, 0, 1, clBlack, true, true);
    DrawArrow(none.canvas, 0, 0, 16, clBlack, true, true);
    EXPECT_EQ(none.Ink(), TRect{}) << "sizes outside 2..15";
}

namespace {

struct Face { std::string map; TRect content; };

Face DrawFace(int w, int h, std::uint8_t state, std::uint16_t flags, S style = S::ubsAutoDetect, bool hot = false)
{
    PixelMap p(w, h);
    TRect r{0, 0, w, h};
    EXPECT_TRUE(DrawButtonFace(nullptr, p.canvas, hot, clBtnFace, flags, state, style, r));
    return Face{p.Map(), r};
}

// The fake visual-styles library: what the face asked of it.
std::string calls;
std::string Text(const TRect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," + std::to_string(r.Bottom);
}
BOOL FakeIsThemeActive() { return TRUE; }
HTHEME FakeOpen(HWND, const char16_t* themeClass)
{
    calls += "open " + QString::fromStdU16String(themeClass).toStdString() + "; ";
    return reinterpret_cast<HTHEME>(std::intptr_t{1});
}
std::int32_t FakeDraw(HTHEME, TCanvas*, int part, int state, const TRect* rect, const TRect* clip)
{
    calls += "draw " + std::to_string(part) + " " + std::to_string(state) + " " + Text(*rect) + " " + Text(*clip) + "; ";
    return 0;
}
std::int32_t FakeClose(HTHEME) { return calls += "close", 0; }

} // namespace

TEST(ButtonFace, ClassicStates)
{
    velvane::test::ClassicColours classic;
    // Normal, hot and disabled share the raised face; the caption tells them apart.
    for (std::uint8_t state : {bdsNormal, bdsHot, bdsDisabled})
        EXPECT_EQ(DrawFace(6, 5, state, 0, S::ubsAutoDetect, state == bdsHot).map,
                  "HHHHHD\nHFFFSD\nHFFFSD\nHSSSSD\nDDDDDD\n")
            << int(state);
    EXPECT_EQ(DrawFace(6, 5, bdsPressed, 0).map, "DDDDDD\nDSSSSD\nDSFFSD\nDSSSSD\nDDDDDD\n");
    EXPECT_EQ(DrawFace(75, 25, bdsNormal, 0).content, (TRect{3, 3, 72, 22}));
    EXPECT_EQ(DrawFace(75, 25, bdsPressed, 0).content, (TRect{4, 4, 73, 23})) << "moved by (1, 1)";

    // The default button: a dark frame around the face and a dotted focus
    // rectangle inside ('?': an inverted face pixel).
    const std::string defaultFace = "DDDDDDDDDD\nDHHHHHHHDD\nDHFFFFFSDD\nDHFFFFFSDD\nDHFF?FFSDD\nDHFFFFFSDD\nDHSSSSSSDD\n"
                                    "DDDDDDDDDD\nDDDDDDDDDD\n";
    const Face def = DrawFace(10, 9, bdsNormal, bffFocused);
    EXPECT_EQ(def.map, defaultFace);
    EXPECT_EQ(def.content, (TRect{4, 4, 6, 5}));
    // Focused alone: the dark frame without the dots.
    std::string framed = defaultFace;
    std::replace(framed.begin(), framed.end(), '?', 'F');
    EXPECT_EQ(DrawFace(10, 9, bdsNormal, bffDarkFrame).map, framed);
    // Pressed, the default button loses its dark frame and its dots move in to 4.
    const std::string pressedDefault = DrawFace(12, 10, bdsPressed, bffFocused).map;
    EXPECT_EQ(pressedDefault.substr(0, 26) + pressedDefault[4 * 13 + 4], "DDDDDDDDDDDD\nDSSSSSSSSSSD\n?");

    // Without themes the themed looks turn classic: the push button raised,
    // the tool button the coloured explorer look (no background, a frame
    // only under the mouse), the combo face the integrated look.
    EXPECT_EQ(DrawFace(12, 10, bdsNormal, 0, S::ubsWinXP).map, DrawFace(12, 10, bdsNormal, 0, S::ubsWin40).map);
    EXPECT_EQ(DrawFace(4, 3, bdsNormal, 0, S::ubsWinXPTool).map, "....\n....\n....\n");
    EXPECT_EQ(DrawFace(4, 3, bdsNormal, 0, S::ubsWinXPTool, true).map, "HHHS\nH..S\nSSSS\n");
    EXPECT_EQ(DrawFace(5, 4, bdsNormal, 0, S::ubsWinXPCombo).map, "FFFFD\nFHHSD\nFSSSD\nDDDDD\n");
    // Windows 3.1: black frame with cleared corners and a double bevel.
    EXPECT_EQ(DrawFace(8, 7, bdsNormal, bffWin31Corners, S::ubsWin31).map,
              "FDDDDDDF\nDHHHHHSD\nDHHHHSSD\nDHHFFSSD\nDHSSSSSD\nDSSSSSSD\nFDDDDDDF\n");
}

TEST(ButtonFace, ThemedLooksDrawThroughTheVisualStylesLibrary)
{
    velvane::test::EnsureApplication();
    velvane::test::TempEnv env;
    ScopedBuiltInModule library("UxTheme.dll", ModuleProcs{{"IsThemeActive", reinterpret_cast<void*>(&FakeIsThemeActive)},
                                                           {"OpenThemeData", reinterpret_cast<void*>(&FakeOpen)},
                                                           {"DrawThemeBackground", reinterpret_cast<void*>(&FakeDraw)},
                                                           {"CloseThemeData", reinterpret_cast<void*>(&FakeClose)}});
    ThemeApiLoader();
    TVELApplication app;
    GlobalApplication = &app;
    ASSERT_TRUE(app.ThemesActive());

    // Opened once, drawn once and closed again; classic looks stay classic.
    const std::tuple<S, std::uint8_t, bool, std::uint16_t, std::string, TRect> cases[] = {
        {S::ubsAutoDetect, bdsNormal, true, 0, "open BUTTON; draw 1 2 -1,-1,21,13 -1,-1,21,13; close", {2, 2, 18, 10}},
        {S::ubsWinXP, bdsPressedDisabled, false, 0, "open BUTTON; draw 1 4 -1,-1,21,13 -1,-1,21,13; close", {2, 2, 18, 10}},
        {S::ubsWinXPTool, bdsDisabled, false, bffSplit | bffSplitDropDown,
         "open TOOLBAR; draw 4 4 0,0,20,12 0,0,20,12; close", {3, 3, 17, 9}},
        {S::ubsWin40, bdsNormal, false, 0, "", {3, 3, 17, 9}},
    };
    for (const auto& [style, state, hot, flags, asked, content] : cases) {
        calls.clear();
        PixelMap p(20, 12);
        TRect r{0, 0, 20, 12};
        DrawButtonFace(nullptr, p.canvas, hot, clBtnFace, flags, state, style, r);
        EXPECT_EQ(calls, asked);
        EXPECT_EQ(r, content);
    }
    GlobalApplication = nullptr;
    ThemeApiUnloader();
}
