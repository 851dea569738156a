#include "platform/graphics/Graphics.h"

#include "platform/graphics/Fonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace velvane {

bool TCanvas::Monochrome() const
{
    return bitmap_ && bitmap_->Monochrome();
}

TRect TCanvas::VisibleRect(const TRect& rect) const
{
    TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, image_->width()),
            std::min(rect.Bottom, image_->height())};
    if (State.Clipped) {
        r.Left = std::max(r.Left, State.Clip.Left);
        r.Top = std::max(r.Top, State.Clip.Top);
        r.Right = std::min(r.Right, State.Clip.Right);
        r.Bottom = std::min(r.Bottom, State.Clip.Bottom);
    }
    return r;
}

TColor TCanvas::Pixels(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return 0xFFFFFFFF;
    return QRgbToColor(reinterpret_cast<const QRgb*>(image_->constScanLine(y))[x]);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    if (VisibleRect(Bounds(x, y, 1, 1)).IsEmpty()) return;
    reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = ColorToQRgb(color);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    QImage source = graphic.ToImage();
    if (source.isNull() || image_->isNull()) return;
    if (source.format() != QImage::Format_RGB32) source = source.convertToFormat(QImage::Format_RGB32);
    const TRect visible = VisibleRect(Bounds(x, y, source.width(), source.height()));
    const int left = visible.Left, right = visible.Right, top = visible.Top, bottom = visible.Bottom;
    if (visible.IsEmpty()) return;
    for (int row = top; row < bottom; ++row) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(row - y)) + (left - x);
        auto* dst = reinterpret_cast<QRgb*>(image_->scanLine(row)) + left;
        std::memcpy(dst, src, sizeof(QRgb) * static_cast<std::size_t>(right - left));
    }
}

void TCanvas::FillRect(const TRect& rect)
{
    const TRect visible = VisibleRect(rect);
    const int left = visible.Left, right = visible.Right, top = visible.Top, bottom = visible.Bottom;
    if (visible.IsEmpty()) return;
    const QRgb pixel = ColorToQRgb(Brush.Color);
    for (int row = top; row < bottom; ++row) {
        auto* dst = reinterpret_cast<QRgb*>(image_->scanLine(row));
        std::fill(dst + left, dst + right, pixel);
    }
}

void TCanvas::TextOut(int x, int y, const String& text)
{
    if (image_->isNull() || text.empty()) return;
    const QFont font = QFontOf(Font, CharacterExtra);
    const QFontMetrics metrics(font);
    const QString s = QString::fromStdString(text);
    if (Brush.Style != TBrushStyle::bsClear)
        FillRect(Bounds(x, y, metrics.horizontalAdvance(s), metrics.height()));
    QPainter painter(image_);
    if (State.Clipped) painter.setClipRect(ToQRect(VisibleRect(State.Clip)));
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(ColorToQRgb(Font.Color)));
    painter.drawText(QPoint(x, y + metrics.ascent()), s);
}

int TCanvas::TextWidth(const String& text) const
{
    return QFontMetrics(QFontOf(Font, CharacterExtra)).horizontalAdvance(QString::fromStdString(text));
}

int TCanvas::TextHeight(const String&) const
{
    return QFontMetrics(QFontOf(Font)).height();
}

} // namespace velvane
