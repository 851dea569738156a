#include "platform/graphics/Graphics.h"

#include "platform/graphics/Fonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace velvane {

TColor TCanvas::Pixels(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return 0xFFFFFFFF;
    return QRgbToColor(reinterpret_cast<const QRgb*>(image_->constScanLine(y))[x]);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
    reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = ColorToQRgb(color);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    QImage source = graphic.ToImage();
    if (source.isNull() || image_->isNull()) return;
    if (source.format() != QImage::Format_RGB32) source = source.convertToFormat(QImage::Format_RGB32);
    const TRect target = Bounds(x, y, source.width(), source.height());
    const int left = std::max(target.Left, 0), right = std::min(target.Right, image_->width());
    const int top = std::max(target.Top, 0), bottom = std::min(target.Bottom, image_->height());
    if (left >= right || top >= bottom) return;
    for (int row = top; row < bottom; ++row) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(row - y)) + (left - x);
        auto* dst = reinterpret_cast<QRgb*>(image_->scanLine(row)) + left;
        std::memcpy(dst, src, sizeof(QRgb) * static_cast<std::size_t>(right - left));
    }
}

void TCanvas::FillRect(const TRect& rect)
{
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, image_->width());
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, image_->height());
    if (left >= right || top >= bottom) return;
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
