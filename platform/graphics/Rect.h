#pragma once
// A rectangle the way the drawing code counts: [Left, Right) x [Top, Bottom).
// QRect counts its right and bottom edges inclusively, so the two meet only
// through ToQRect and FromQRect below.

#include <QRect>

namespace velvane {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
TRect Bounds(int left, int top, int width, int height);

// Edges beyond what the other side can hold are pulled in to the nearest
// value it can.
QRect ToQRect(const TRect& r);
TRect FromQRect(const QRect& r);

} // namespace velvane
