// Monochrome bitmaps and the colour a bitmap treats as transparent.

#include "platform/graphics/Graphics.h"
#include "platform/graphics/SysColors.h"

namespace velvane {

namespace {

constexpr QRgb White = 0xFFFFFFFFu;
constexpr QRgb Black = 0xFF000000u;

// Every pixel of key turns white, every other black.
void Binarize(QImage& image, TColor key)
{
    const QRgb match = ColorToQRgb(key) & 0xFFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) row[x] = (row[x] & 0xFFFFFFu) == match ? White : Black;
    }
}

} // namespace

void TBitmap::SetMonochrome(bool value)
{
    if (value == Monochrome()) return;
    if (value) {
        Binarize(image_, canvas_->Brush.Color);
        pixelFormat_ = TPixelFormat::pf1bit;
    } else {
        pixelFormat_ = TPixelFormat::pfDevice;
    }
}

void TBitmap::Mask(TColor color)
{
    Binarize(image_, color);
    pixelFormat_ = TPixelFormat::pf1bit;
}

TColor TBitmap::TransparentColor() const
{
    if (transparentColor_ != clDefault) return transparentColor_;
    if (image_.isNull()) return clWhite;
    return QRgbToColor(image_.pixel(0, image_.height() - 1));
}

} // namespace velvane
