#pragma once
// System colours. A colour value with the top byte 0x80 names an entry of
// the system's colour table (0x80000000 + index) instead of an RGB value.
// The table answers from the running application's palette, which is the
// desktop's colour scheme, light or dark, so that what the library draws
// agrees with the windows Qt paints around it. Without an application, and
// while pinned, it answers with the fixed classic grey scheme, so that a
// picture can come out the same on every desktop.
//
// Nothing should keep a resolved colour: the palette may change while the
// program runs (widgets then get QEvent::PaletteChange).

#include "platform/graphics/Graphics.h"

namespace velvane {

// Table indexes.
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
// Entries of the table: 0 to COLOR_ENTRIES - 1.
constexpr int COLOR_ENTRIES = 31;

constexpr TColor SystemColor(int index) { return 0x80000000u | static_cast<TColor>(index); }

constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);

// The RGB value of a table entry; 0 (black) for an index the table lacks.
TColor GetSysColor(int index);
// A system colour as its RGB value; any other value as it is.
TColor ColorToRGB(TColor color);

// While pinned, GetSysColor answers from the classic scheme even where an
// application's palette exists. Answers the setting before.
bool PinClassicSysColors(bool pinned);

} // namespace velvane
