#pragma once
// Formatted text on a canvas: DrawTextExA lays text out in a rectangle
// (alignment, line breaks, an ellipsis, the underlined accelerator of "&x"),
// ExtTextOutA writes one run at a point along the font's escapement, and a
// path records text outlines to be stroked with the pen.
//
// Text is UTF-8. Ink is the canvas font colour; unless the brush is bsClear
// the cells behind the text are filled with the brush colour first.

#include "platform/graphics/Graphics.h"

namespace velvane {

// DrawTextExA formats.
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;  // single line only
constexpr unsigned DT_BOTTOM = 0x0008;   // single line only
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_EXPANDTABS = 0x0040;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_CALCRECT = 0x0400;
constexpr unsigned DT_NOPREFIX = 0x0800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_HIDEPREFIX = 0x00100000;

// Draws count bytes of text (all of it for -1) into rect and returns the
// height of the text. Lines break at line ends (unless DT_SINGLELINE) and,
// with DT_WORDBREAK, between words that would pass the right edge (a word
// wider than the rectangle keeps its line). "&x" shows x underlined ("&&" is
// one "&") unless DT_NOPREFIX; DT_HIDEPREFIX leaves out the underline. With
// DT_END_ELLIPSIS a line too wide ends in "...". Tabs expand to every eighth
// character with DT_EXPANDTABS. The text is clipped to rect unless
// DT_NOCLIP. DT_CALCRECT draws nothing and moves rect's right and bottom
// edges to the size of the text.
int DrawTextExA(TCanvas& canvas, const char* text, int count, TRect& rect, unsigned format);
int DrawTextExA(TCanvas& canvas, const String& text, TRect& rect, unsigned format);

constexpr unsigned ETO_OPAQUE = 0x0002;   // fill rect with the brush colour first
constexpr unsigned ETO_CLIPPED = 0x0004;  // clip the text to rect

// Writes the text with its cell's top left corner at (x, y), turned about
// that point by the font's Orientation.
bool ExtTextOutA(TCanvas& canvas, int x, int y, unsigned options, const TRect* rect, const char* text, int count);

// Extra pixels after each character; returns the previous amount.
int SetTextCharacterExtra(TCanvas& canvas, int extra);

// Text drawn between BeginPath and EndPath becomes outlines of the path;
// StrokePath draws them with the pen (its colour and width) and forgets them.
bool BeginPath(TCanvas& canvas);
bool EndPath(TCanvas& canvas);
bool StrokePath(TCanvas& canvas);

} // namespace velvane
