#pragma once
// The bitmap half of the drawing routines: copying bitmaps onto canvases
// (plain, centred, stretched, proportionally stretched, tiled, transparent
// by colour, through a mask, clipped) and making derived bitmaps (filled,
// split into image and mask, greyed, embossed). They keep no state: every
// temporary bitmap and region is released on every path.

#include "platform/graphics/Graphics.h"

#include <cstdint>

namespace velvane {

// Draw flags, shared by every draw routine and the image-list draws.
constexpr int dfClip = 0x0001;             // clip to the target rectangle (BltImageClipped)
constexpr int dfCenter = 0x0008;           // centre the source in the target
constexpr int dfStretch = 0x0010;          // stretch the source to the target
constexpr int dfFullHeight = 0x0200;       // with dfStretch: keep the aspect, full target height
constexpr int dfFullWidth = 0x0400;        // with dfStretch: keep the aspect, full target width
constexpr int dfProportional = 0x0600;     // with dfStretch: keep the aspect, largest fit
constexpr int dfTile = 0x0020;             // tile the source over the target
constexpr int dfTransparent = 0x0040;      // mask made from the colour argument
constexpr int dfBrushCopy = 0x0080;        // the bitmap drawn by BrushCopy with its TransparentColor
constexpr int dfMasked = 0x0100;           // through the mask bitmap given
constexpr int dfRealizePalette = 0x1000;   // realise the bitmap's palette first

// Draws the source block of source (or of the bitmap with dfBrushCopy) into
// target: placed plain at the top left, centred, stretched or tiled (the
// later of those flags wins), copied with the target's copy mode, through
// mask with dfMasked (black opaque, white transparent) or transparent by
// colour. drawn receives the area placed (the target rectangle when
// tiling or when nothing could be placed). Nothing is drawn, and drawn is
// left empty, for an empty target, a missing source, or a stretch from a
// source without width or height.
void BltImage(TCanvas& target, const TRect& targetRect, TCanvas* source, TRect& drawn, TBitmap* maskOrBitmap,
              HPALETTE palette, TColor color, int flags, const TRect& sourceRect);
// BltImage; with dfClip inside a clipping region of the target rectangle,
// moved by clipOffset (signed 16-bit X in the low half, Y in the high half).
// The target is left without clipping afterwards.
void BltImageClipped(TCanvas& target, const TRect& targetRect, TCanvas* source, TBitmap* maskOrBitmap,
                     TColor color, std::uint32_t clipOffset, int flags, const TRect& sourceRect);
// The whole bitmap through BltImageClipped.
void DrawBitmap(TCanvas& target, const TRect& targetRect, TBitmap* bitmap, TColor color, std::uint32_t clipOffset,
                int flags);
// The whole bitmap through BltImage; drawn receives the area drawn.
void DrawBitmapRect(TCanvas& target, const TRect& targetRect, TBitmap* bitmap, TRect& drawn, TColor color,
                    int flags);

// Sizes the bitmap to the rectangle and fills it with color.
void FillBitmap(TBitmap* bitmap, const TRect& rect, TColor color);
// image: a copy of the rectangle with the pixels of color black; mask: a
// monochrome mask, those pixels white and the others black.
void SplitMaskedCanvas(TCanvas& canvas, const TRect& rect, TBitmap* mask, TBitmap* image, TColor color);
void SplitMaskedBitmap(TBitmap& bitmap, TBitmap* mask, TBitmap* image, TColor color);
// A copy of source in four greys by brightness, relative to the mean
// brightness of the pixels that differ from the top-left one (which keep
// their colour).
void MakeDisabledBitmap(TBitmap& target, const TBitmap& source);
// Fills target with the source's transparent colour and stamps the black
// pixels of source into it, in the button highlight colour at (x + 1,
// y + 1) and in the button shadow colour at (x, y).
void MakeEmbossedBitmap(TBitmap& target, const TBitmap& source, int x, int y);

} // namespace velvane
