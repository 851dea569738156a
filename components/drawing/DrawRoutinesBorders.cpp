#include "components/drawing/DrawRoutinesBorders.h"

#include "platform/graphics/Edges.h"
#include "platform/graphics/SysColors.h"

namespace velvane {

bool DrawBorder(TCanvas& canvas, TRect& rect, TVELBorderStyle style, std::uint32_t extraFlags)
{
    // Every call through f shrinks rect by what it drew.
    const unsigned f = (extraFlags & 0xFFFF) | BF_ADJUST;
    const unsigned leftTop = BF_LEFT | BF_TOP, rightBottom = BF_RIGHT | BF_BOTTOM;
    switch (style) {
    case TVELBorderStyle::lsNone: break;
    case TVELBorderStyle::lsSingle:
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_SOFT | leftTop);
        // The caller's sides and looks are the first line's only.
        DrawEdge(canvas, rect, BDR_RAISEDOUTER, rightBottom);
        break;
    case TVELBorderStyle::lsLowered: DrawEdge(canvas, rect, EDGE_SUNKEN, f | BF_SOFT | BF_RECT); break;
    case TVELBorderStyle::lsRaised: DrawEdge(canvas, rect, EDGE_RAISED, f | BF_SOFT | BF_RECT); break;
    case TVELBorderStyle::lsRaisedspb:
        DrawEdge(canvas, rect, BDR_RAISEDOUTER, f | BF_SOFT | BF_RECT);
        DrawEdge(canvas, rect, BDR_RAISEDINNER, BF_ADJUST | rightBottom);
        break;
    case TVELBorderStyle::lsLoweredspb:
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT);
        DrawEdge(canvas, rect, BDR_SUNKENINNER, f | leftTop);
        break;
    case TVELBorderStyle::lsRaisedExt:
        DrawEdge(canvas, rect, BDR_RAISEDOUTER, f | BF_SOFT | BF_RECT);
        DrawEdge(canvas, rect, BDR_RAISEDINNER, BF_ADJUST | rightBottom);
        ++rect.Left;
        ++rect.Top;
        break;
    case TVELBorderStyle::lsLoweredExt:
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT);
        DrawEdge(canvas, rect, BDR_SUNKENINNER, BF_ADJUST | leftTop);
        --rect.Right;
        --rect.Bottom;
        break;
    case TVELBorderStyle::lsFrameInset: DrawEdge(canvas, rect, EDGE_ETCHED, f | BF_RECT); break;
    case TVELBorderStyle::lsFrameOffset:
        DrawEdge(canvas, rect, BDR_RAISEDINNER, f | BF_RECT);
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT);
        break;
    case TVELBorderStyle::lsWindowBorder:
        DrawEdge(canvas, rect, BDR_RAISEDOUTER, f | rightBottom);
        ++rect.Left;
        ++rect.Top;
        DrawEdge(canvas, rect, BDR_RAISEDINNER, f | BF_RECT);
        break;
    case TVELBorderStyle::lsSingleRaised: DrawEdge(canvas, rect, BDR_RAISEDINNER, f | BF_RECT); break;
    case TVELBorderStyle::lsSingleLowered: DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT); break;
    case TVELBorderStyle::lsDoubleRaised:
        DrawEdge(canvas, rect, BDR_RAISEDINNER, f | BF_RECT);
        DrawEdge(canvas, rect, BDR_RAISEDINNER, f | BF_RECT);
        break;
    case TVELBorderStyle::lsDoubleLowered:
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT);
        DrawEdge(canvas, rect, BDR_SUNKENOUTER, f | BF_RECT);
        break;
    }
    return true;
}

namespace {

void Arrow(TCanvas& canvas, int x, int y, int size, bool down)
{
    if (down) {
        for (int i = 0; i <= size - 2; ++i) {
            canvas.MoveTo(x + i, y + i);
            canvas.LineTo(x + 2 * size - i - 1, y + i);
        }
        canvas.MoveTo(x + size - 1, y + size - 1);
        canvas.LineTo(x + size - 1, y + size - 2);
        return;
    }
    const int centre = x + size / 2;
    for (int i = 0; i <= size - 1; ++i) {
        canvas.MoveTo(centre - i, y + i);
        canvas.LineTo(centre + i + 1, y + i);
    }
}

} // namespace

void DrawArrow(TCanvas& canvas, int x, int y, int size, TColor color, bool down, bool enabled)
{
    if (size < 2 || size > 15) return;
    canvas.Pen.Width = 1;
    canvas.Pen.Style = TPenStyle::psSolid;
    if (!enabled) {
        canvas.Pen.Color = clHighlightText;
        Arrow(canvas, x + 1, y + 1, size, down);
    }
    canvas.Pen.Color = enabled ? color : clGrayText;
    Arrow(canvas, x, y, size, down);
}

} // namespace velvane
