// Lines, rectangles and polygons of TCanvas, pixel for pixel as the
// drawing code expects them: a line leaves out its end point, so lines
// drawn one after the other meet without painting a pixel twice.
//
//   MoveTo(0, 0); LineTo(4, 0)      Rectangle(0, 0, 4, 3)
//   # # # # .                       # # # # .
//                                   # b b # .
//                                   # # # # .      (b: the brush)

#include "platform/graphics/Graphics.h"

#include "platform/graphics/LinePixels.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace velvane {

void TCanvas::LineTo(int x, int y)
{
    const TPoint from = PenPos;
    PenPos = TPoint{x, y};
    if (Pen.Style == TPenStyle::psClear) return;
    if (Pen.Width <= 1) {
        LinePixels(from.X, from.Y, x, y, [this](int px, int py) { SetPixels(px, py, Pen.Color); });
        return;
    }
    QPainter painter(image_);
    painter.setPen(QPen(QColor::fromRgb(ColorToQRgb(Pen.Color)), Pen.Width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from.X, from.Y, x, y);
}

void TCanvas::Rectangle(const TRect& r)
{
    if (r.IsEmpty()) return;
    const bool outline = Pen.Style != TPenStyle::psClear;
    if (Brush.Style != TBrushStyle::bsClear) {
        // Without a pen the filled area ends one pixel short at the right
        // and bottom, as it would under the outline.
        FillRect(outline ? TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}
                         : TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1});
    }
    if (!outline) return;
    const TBrush brush = Brush;
    Brush = TBrush{Pen.Color, TBrushStyle::bsSolid};
    FrameRect(r);
    Brush = brush;
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.IsEmpty()) return;
    FillRect(TRect{r.Left, r.Top, r.Right, r.Top + 1});
    FillRect(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom});
    FillRect(TRect{r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1});
    FillRect(TRect{r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1});
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (r.IsEmpty()) return;
    // The dots stay put on the picture (by x + y), wherever the frame lies.
    auto invert = [this](int x, int y) {
        if ((x + y) % 2 != 0) return;
        const TColor old = Pixels(x, y);
        if (old != 0xFFFFFFFF) SetPixels(x, y, old ^ 0xFFFFFF);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        invert(x, r.Top);
        if (r.Bottom - 1 > r.Top) invert(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        invert(r.Left, y);
        if (r.Right - 1 > r.Left) invert(r.Right - 1, y);
    }
}

void TCanvas::Polyline(std::span<const TPoint> points)
{
    if (points.empty()) return;
    const TPoint saved = PenPos;
    MoveTo(points[0].X, points[0].Y);
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
    PenPos = saved;
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (points.size() < 2) return;
    if (Brush.Style != TBrushStyle::bsClear) {
        QPolygon polygon;
        for (const TPoint& p : points) polygon << QPoint(p.X, p.Y);
        QPainter painter(image_);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgb(ColorToQRgb(Brush.Color)));
        painter.drawPolygon(polygon, Qt::OddEvenFill);
    }
    const TPoint saved = PenPos;
    MoveTo(points.back().X, points.back().Y);
    for (const TPoint& p : points) LineTo(p.X, p.Y);
    PenPos = saved;
}

} // namespace velvane
