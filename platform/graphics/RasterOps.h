#pragma once
// Block transfers between device contexts (canvases, TCanvas::Handle) with
// the system's ternary raster operations, stretching, the colours that
// monochrome pictures give and take, palettes and the device's capabilities.
//
// A raster operation combines pattern P (the target's brush colour), source
// S and destination D bit by bit; bits 16..23 of its code are the result for
// each input, bit number P*4 + S*2 + D:
//
//   SRCCOPY   0xCC  S          SRCAND    0x88  S & D
//   SRCPAINT  0xEE  S | D      SRCINVERT 0x66  S ^ D
//   0xE2 (0x00E20746): P where S is 1, D where S is 0
//
// Where monochrome and colour pictures meet:
//   colour -> monochrome: pixels of the source's background colour turn
//     white, all others black;
//   monochrome -> colour: white pixels take the target's background colour,
//     black ones its text colour.
// The brush colour used as the pattern on a monochrome target is white when
// light (R + G + B of 384 or more) and black otherwise.
//
// Drawing stays inside the target's picture and clipping rectangle, and
// reads only inside the source's picture: what lies outside is left alone.

#include "platform/graphics/Graphics.h"

#include <cstdint>

namespace velvane {

using COLORREF = std::uint32_t;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t SRCERASE = 0x00440328;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
constexpr std::uint32_t MERGECOPY = 0x00C000CA;
constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t PATPAINT = 0x00FB0A09;
constexpr std::uint32_t PATINVERT = 0x005A0049;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Stretch modes. Every mode here leaves out (or repeats) whole rows and
// columns as COLORONCOLOR does.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// GetDeviceCaps indexes.
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int SIZEPALETTE = 104;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_STRETCHBLT = 0x0800;

// Copies the w x h block at (sx, sy) of src to (x, y) of dest. false for a
// missing context (src only matters when the operation reads it).
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop);
// The same with the source block scaled to the target block, each target
// pixel taking the source pixel under its centre:
//
//   3 source columns a b c onto 5:  a a b c c    onto 2:  a c
//
// false for a size that is not positive.
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop);
// StretchBlt of block s of mask into block d with SRCAND, then of the same
// block of image with SRCPAINT, in one pass where both pictures hold the
// whole block: how masked images are laid on (the mask black where opaque,
// the image black where transparent). false for a missing context or an
// empty block.
bool BlitThroughMask(HDC dest, const TRect& d, HDC image, HDC mask, const TRect& s);
// The mode before; 0 for a mode outside 1..4 or a missing context.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

// The colour before; CLR_INVALID for a missing context.
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);

// A true-colour display has no palette to realise: selecting one answers
// the one selected before (at first the default palette) and changes no
// drawing; realising maps no entries.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
unsigned RealizePalette(HDC dc);

// The display is a 24-bit true-colour device of one plane with no palette.
int GetDeviceCaps(HDC dc, int index);

} // namespace velvane
