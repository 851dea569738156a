#include "platform/graphics/Edges.h"

#include "platform/graphics/LinePixels.h"
#include "platform/graphics/SysColors.h"

#include <utility>

namespace velvane {

namespace {

enum class Border { None, Raised, Sunken };

Border OuterOf(unsigned edge)
{
    if (edge & BDR_SUNKENOUTER) return Border::Sunken;
    return (edge & BDR_RAISEDOUTER) ? Border::Raised : Border::None;
}

Border InnerOf(unsigned edge)
{
    if (edge & BDR_SUNKENINNER) return Border::Sunken;
    return (edge & BDR_RAISEDINNER) ? Border::Raised : Border::None;
}

struct Shades {
    TColor topLeft;
    TColor bottomRight;
};

Shades ShadesOf(Border border, bool outer, bool soft)
{
    if (border == Border::Raised)
        return outer ? Shades{soft ? clBtnHighlight : cl3DLight, cl3DDkShadow}
                     : Shades{soft ? cl3DLight : clBtnHighlight, clBtnShadow};
    return outer ? Shades{soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight}
                 : Shades{soft ? clBtnShadow : cl3DDkShadow, cl3DLight};
}

void Fill(TCanvas& canvas, const TRect& r, TColor color)
{
    const TBrush saved = canvas.Brush;
    canvas.Brush = TBrush{color, TBrushStyle::bsSolid};
    canvas.FillRect(r);
    canvas.Brush = saved;
}

// One border on the sides of flags, at the edge of r.
void SideBorder(TCanvas& canvas, const TRect& r, Shades shades, unsigned flags)
{
    const int rightEnd = r.Right - ((flags & BF_RIGHT) ? 1 : 0);
    const int bottomEnd = r.Bottom - ((flags & BF_BOTTOM) ? 1 : 0);
    if (flags & BF_TOP) Fill(canvas, TRect{r.Left, r.Top, rightEnd, r.Top + 1}, shades.topLeft);
    if (flags & BF_LEFT) Fill(canvas, TRect{r.Left, r.Top, r.Left + 1, bottomEnd}, shades.topLeft);
    if (flags & BF_BOTTOM) Fill(canvas, TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, shades.bottomRight);
    if (flags & BF_RIGHT) Fill(canvas, TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, shades.bottomRight);
}

void Shrink(TRect& r, unsigned flags)
{
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

// The line from corner to corner of r, both ends painted, moved right by
// shift pixels and cut at r's right edge.
void DiagonalBorder(TCanvas& canvas, const TRect& r, TColor color, unsigned flags, int shift)
{
    if (r.IsEmpty()) return;
    const bool endsRight = (flags & BF_RIGHT) != 0, endsTop = (flags & BF_TOP) != 0;
    const TPoint end{endsRight ? r.Right - 1 : r.Left, endsTop ? r.Top : r.Bottom - 1};
    const TPoint start{endsRight ? r.Left : r.Right - 1, endsTop ? r.Bottom - 1 : r.Top};
    auto plot = [&](int x, int y) {
        if (x + shift < r.Right) canvas.SetPixels(x + shift, y, color);
    };
    LinePixels(start.X, start.Y, end.X, end.Y, plot);
    plot(end.X, end.Y);
}

void DrawDiagonal(TCanvas& canvas, const TRect& rect, unsigned edge, unsigned flags)
{
    if (flags & BF_MIDDLE) Fill(canvas, rect, clBtnFace);
    // "/" faces the light like a top side; "\" like a bottom side.
    const bool rising = ((flags & BF_RIGHT) != 0) == ((flags & BF_TOP) != 0);
    const bool soft = (flags & BF_SOFT) != 0;
    int shift = 0;
    for (const auto& [border, outer] : {std::pair{OuterOf(edge), true}, std::pair{InnerOf(edge), false}}) {
        if (border == Border::None) continue;
        const Shades shades = ShadesOf(border, outer, soft);
        DiagonalBorder(canvas, rect, rising ? shades.topLeft : shades.bottomRight, flags, shift++);
    }
}

} // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags)
{
    if (flags & BF_DIAGONAL) {
        DrawDiagonal(canvas, rect, edge, flags);
        return true;
    }
    const bool soft = (flags & BF_SOFT) != 0;
    TRect r = rect;
    for (const auto& [border, outer] : {std::pair{OuterOf(edge), true}, std::pair{InnerOf(edge), false}}) {
        if (border == Border::None) continue;
        SideBorder(canvas, r, ShadesOf(border, outer, soft), flags);
        Shrink(r, flags);
    }
    if (flags & BF_MIDDLE) Fill(canvas, r, clBtnFace);
    if (flags & BF_ADJUST) rect = r;
    return true;
}

} // namespace velvane
