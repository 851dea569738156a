#include "platform/graphics/Rect.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace velvane {

namespace {

int Saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

TRect Bounds(int left, int top, int width, int height)
{
    return TRect{left, top, Saturate(std::int64_t{left} + width), Saturate(std::int64_t{top} + height)};
}

QRect ToQRect(const TRect& r)
{
    // Built from its corners: QRect(x, y, w, h) would overflow on wide rectangles.
    return QRect(QPoint(r.Left, r.Top),
                 QPoint(Saturate(std::int64_t{r.Right} - 1), Saturate(std::int64_t{r.Bottom} - 1)));
}

TRect FromQRect(const QRect& r)
{
    return TRect{r.left(), r.top(), Saturate(std::int64_t{r.right()} + 1), Saturate(std::int64_t{r.bottom()} + 1)};
}

} // namespace velvane
