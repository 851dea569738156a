#pragma once
// The rectangle calls of the drawing code, on TRect's exclusive right and
// bottom edges. Each changes its first argument in place.

#include "platform/graphics/Rect.h"

namespace velvane {

// Grows (or with negative amounts shrinks) each side: left and right by dx,
// top and bottom by dy.
bool InflateRect(TRect& rect, int dx, int dy);
bool OffsetRect(TRect& rect, int dx, int dy);
// The common area of a and b; false, with dest emptied to (0, 0, 0, 0),
// when they share none.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
// The smallest rectangle holding both; an empty one counts for nothing.
bool UnionRect(TRect& dest, const TRect& a, const TRect& b);

} // namespace velvane
