#pragma once
// Procedures of the component library: the LZRW block codec, screen, user
// and path information, and rectangle arithmetic.

#include "platform/graphics/Rect.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <span>

namespace velvane {

// ---------------------------------------------------------------- LZRW codec
//
// A block is one flag byte, 0x80 for stored (the input follows as it is) or
// anything else for compressed: groups of a 16-bit control word (high byte
// first, one bit per item from the top: 0 literal, 1 copy) and up to 16
// items. A literal is one byte; a match is two bytes b0 b1 (offset
// b0 * 16 + (b1 >> 4) of 1..4095 bytes back, length (b1 & 15) + 3); offset 0
// marks a run b0 b1 b2 b3 of ((b1 & 15) * 256 + b2) + 16 copies of b3.

// Inputs are cut into chunks of this size; a block is at most one byte more.
constexpr int LZRWChunkSize = 32781;
constexpr int LZRWMaxBlock = LZRWChunkSize + 1;

// Compresses n bytes (0..LZRWChunkSize) into dest, which must hold n + 6
// bytes, and returns the block's length; data that does not shrink is
// stored (n + 1 bytes).
int LZRWCompress(const std::uint8_t* source, std::uint8_t* dest, int n);
// Decodes a block of length bytes into dest (room for capacity bytes) and
// returns the number of bytes made. A damaged block (an item running past
// the block, a copy from before the start of the output, more output than
// capacity) raises EReadError; nothing outside either buffer is touched.
int LZRWDecompress(const std::uint8_t* block, int length, std::uint8_t* dest, int capacity);

// ------------------------------------------------------- system information

enum class TVELPathPrefix { ppWindows, ppSystem, ppProgram, ppFixed };

// Bits per pixel of the screen.
std::uint8_t ScreenColorDepth();
// The login name, or "(Unknown)".
String UserName();
// The running program's file, with its folder.
String ProgramFileName();
// The program folder (where the programs keep their files), with a
// trailing delimiter.
String ProgramDir();
// The folder a prefix stands for, with or without a trailing delimiter;
// ppFixed is the empty text either way.
String PrefixPath(TVELPathPrefix prefix, bool trailingDelimiter);

// -------------------------------------------------------------- rectangles

// The source's size scaled by the smaller of the two ratios that fit it into
// target, at target's top left (sizes truncated). An empty source gives an
// empty rectangle there.
TRect ProportionalRect(const TRect& source, const TRect& target);
// Width (X) and height (Y).
TPoint RectSize(const TRect& rect);
// The bounds of rect turned by angle degrees about its centre, moved to the
// origin; angle 0 leaves the rect as it is.
TRect RotatedRectBounds(const TRect& rect, double angle);

// Largest and smallest value; 0 for none.
int MaxOfArray(std::span<const int> values);
int MinOfArray(std::span<const int> values);
long double MinOfArray(std::span<const long double> values);

} // namespace velvane
