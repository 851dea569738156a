#pragma once
// Captions of the drawing routines: text with a 3D or rotated effect, its
// measuring, and the arrangement of a glyph, a caption and a drop-down
// arrow inside a rectangle.

#include "components/drawing/VELCaption.h"
#include "components/drawing/VELLayout.h"
#include "components/drawing/velgraph.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>

namespace velvane {

// Caption flags.
constexpr unsigned cfEnabled = 0x002;         // also: the drop-down arrow is drawn enabled
constexpr unsigned cfDisabledSunken = 0x004;  // with dsAuto a disabled caption is drawn sunken
constexpr unsigned cfClip = 0x008;
constexpr unsigned cfTopLeft = 0x020;     // the block at the top left, glyph and text left unmoved
constexpr unsigned cfFocusText = 0x040;   // focus rectangle: the text grown by 1
constexpr unsigned cfFocusGlyph = 0x080;  // focus rectangle: the glyph
constexpr unsigned cfFocusBoth = 0x100;   // focus rectangle: glyph and text grown by 1
constexpr unsigned cfMeasureOnly = 0x200; // place only, draw nothing (implies cfFocusBoth)
constexpr unsigned cfCutText = 0x400;     // cut the text's right and bottom to the bounds

// Where LayoutGlyphText put things.
struct TVELLayoutResult {
    TRect Bounds;  // glyph and text together
    TRect Text;
    TRect Glyph;
    TRect Reserved;  // always empty
};

// Draws text into rect with caption's effect (plain DrawTextExA with
// format for none); a TVELFxCaption that is turned draws along its Angle
// from (PosX, PosY) inside rect. With cfClip nothing is drawn outside clip
// (or rect without one), and the canvas is left unclipped. Leaves the canvas
// font turned and the brush clear.
void DrawCaptionText(TCanvas& canvas, const String& text, TVEL3DCaption* caption, const TRect* clip, unsigned flags,
                     unsigned format, const TRect& rect);

// The size text takes with caption's effect in font, at the origin of rect
// (whose right edge limits the width of lines that may break), grown by
// (extraMargin + 1) * 2. For a turned caption it also sets PosX and PosY
// to where the text starts inside that size; a caption that is not turned
// gets (0, 0) quietly.
void MeasureCaptionText(const String& text, TVEL3DCaption* caption, TRect& rect, unsigned format, int extraMargin,
                        bool showAccelerator, bool multiLine, const TFont& font);

// Arranges glyph (the source rectangle of glyphCanvas), caption and the
// layout's drop-down arrow in bounds, draws them unless cfMeasureOnly, and
// returns the focus rectangle in glyphSource. A masked glyph is drawn through
// mask (the same rectangle of it), or without one transparent where it has
// transparentColor; an unmasked one is copied whole.
void LayoutGlyphText(TCanvas& canvas, const String& text, TVEL3DCaption* caption, TVELLayoutResult& result,
                     unsigned format, unsigned flags, bool masked, bool showAccelerator, bool multiLine,
                     const TVELGlyphTextLayout& layout, TColor transparentColor, TBitmap* mask,
                     TRect& glyphSource, TCanvas* glyphCanvas, const TRect& bounds);

// inner's size placed in outer by alignment.
void AlignRectInRect(TVELAlignment alignment, const TRect& inner, const TRect& outer, TRect& result);

// The colour step/steps of the way from a to b, per channel (truncated);
// system colours count as their RGB value. No steps gives a.
TColor BlendColor(TColor a, TColor b, int step, int steps);

// The font is an outline font that can be drawn turned.
bool IsTrueTypeFont(const TFont& font);

} // namespace velvane
