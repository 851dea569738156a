#pragma once
// The pixels of a line from (x0, y0) towards (x1, y1), the end point left
// out, in the order they are met.

#include <cstdlib>

namespace velvane {

template <typename Plot>
void LinePixels(int x0, int y0, int x1, int y1, Plot plot)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        plot(x0, y0);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

} // namespace velvane
