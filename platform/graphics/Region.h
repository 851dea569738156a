#pragma once
// Clipping regions. Only rectangles are needed: a region is one rectangle,
// and selecting it into a device context (a canvas) keeps drawing inside it
// until another region, or none, is selected. The context keeps its own
// copy, so the region may be deleted once selected.

#include "platform/graphics/Graphics.h"

namespace velvane {

struct HRGN__;
using HRGN = HRGN__*;

// Region kinds, the answers of SelectClipRgn.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// The corners are put in order (left <= right, top <= bottom).
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect& rect);
// A null region removes the clipping. RGN_ERROR for a missing context or
// a handle that is no region.
int SelectClipRgn(HDC dc, HRGN region);
// Frees a region made above; false (and nothing done) for any other handle,
// so that the system's DeleteObject can ask here first.
bool DeleteRegion(void* object);

} // namespace velvane
