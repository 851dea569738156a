#pragma once
// Frames and drop-down arrows of the drawing routines. Like every drawing
// routine of the library they keep no state: they draw on the canvas they
// are given and report through their arguments.

#include "components/drawing/velgraph.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>

namespace velvane {

// Draws the frame of style into rect and leaves in rect the area inside it.
// flags are extra edge flags of the caller (soft, middle, sides); only
// their low 16 bits count. Always true.
bool DrawBorder(TCanvas& canvas, TRect& rect, TVELBorderStyle style, std::uint32_t flags);

// A solid triangle in the box at (x, y): pointing down, rows of
// 2 * size - 1, 2 * size - 3, ... 1 pixels; pointing up, rows of
// 1, 3, ... 2 * size - 1 pixels about x + size / 2. A disabled arrow is grey
// over a highlight copy one pixel to the right and down. Sizes outside
// 2..15 draw nothing.
//
//   size 3, down:   # # # # #
//                   . # # # .
//                   . . # . .
void DrawArrow(TCanvas& canvas, int x, int y, int size, TColor color, bool down, bool enabled);

} // namespace velvane
