#include "platform/graphics/RectCalls.h"

#include <algorithm>

namespace velvane {

bool InflateRect(TRect& rect, int dx, int dy)
{
    rect = TRect{rect.Left - dx, rect.Top - dy, rect.Right + dx, rect.Bottom + dy};
    return true;
}

bool OffsetRect(TRect& rect, int dx, int dy)
{
    rect = TRect{rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
    return true;
}

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b)
{
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    dest = r.IsEmpty() ? TRect{} : r;
    return !r.IsEmpty();
}

bool UnionRect(TRect& dest, const TRect& a, const TRect& b)
{
    if (a.IsEmpty() || b.IsEmpty()) {
        dest = a.IsEmpty() ? (b.IsEmpty() ? TRect{} : b) : a;
        return !dest.IsEmpty();
    }
    dest = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
    return true;
}

} // namespace velvane
