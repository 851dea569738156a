#pragma once
// Push-button faces of the drawing routines: the background and frame of a
// button in one of the library's looks and one draw state, leaving the
// rectangle for the glyph and caption.

#include "components/drawing/velgraph.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/Windows.h"

#include <cstdint>

namespace velvane {

// Draw states.
constexpr std::uint8_t bdsNormal = 0;
constexpr std::uint8_t bdsDisabled = 1;
constexpr std::uint8_t bdsHot = 2;
constexpr std::uint8_t bdsPressedChecked = 3;  // pressed, on a checker pattern
constexpr std::uint8_t bdsPressed = 4;
constexpr std::uint8_t bdsPressedDisabled = 7;

// Face flags.
constexpr std::uint16_t bffWin31Corners = 0x001;  // clear the outer frame's corners
constexpr std::uint16_t bffFocused = 0x002;       // dark outer frame and a focus rectangle
constexpr std::uint16_t bffWin40Kind2 = 0x004;
constexpr std::uint16_t bffSunkenPress = 0x008;
constexpr std::uint16_t bffMiddle = 0x010;
constexpr std::uint16_t bffDarkFrame = 0x020;     // dark outer frame only
constexpr std::uint16_t bffSplit = 0x080;
constexpr std::uint16_t bffSplitDropDown = 0x100;

// The visual-styles functions the face draws with. The device context they
// receive is the canvas; rectangles are TRect (four 32-bit edges).
using HTHEME = void*;
using OpenThemeDataProc = HTHEME (*)(HWND window, const char16_t* classList);
using DrawThemeBackgroundProc = std::int32_t (*)(HTHEME theme, TCanvas* dc, int part, int state, const TRect* rect,
                                                 const TRect* clip);
using CloseThemeDataProc = std::int32_t (*)(HTHEME theme);

// Draws the face of a button (window: whose theme data a themed look uses)
// and returns in rect the area left for glyph and caption. The themed looks
// draw through the visual-styles library while themes are in use, and turn
// into classic ones otherwise. Always true.
bool DrawButtonFace(HWND window, TCanvas& canvas, bool hot, TColor color, std::uint16_t flags, std::uint8_t state,
                    TVELUserButtonStyle style, TRect& rect);
// The classic looks. Always true.
bool DrawButtonFrame(TCanvas& canvas, bool hot, TRect& rect, TColor color, std::uint16_t flags, std::uint8_t state,
                     TVELUserButtonStyle style);

} // namespace velvane
