#include "platform/graphics/Graphics.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <QPainter>

namespace velvane {

namespace {

TPixelFormat FormatOfDepth(int bits)
{
    switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16: return TPixelFormat::pf16bit;
    case 24: return TPixelFormat::pf24bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pfDevice;
    }
}

} // namespace

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>(image_, this)) {}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height)
{
    if (width == Width() && height == Height()) return;
    if (width < 0 || height < 0) throw EInvalidGraphic(ErrorText(TErrorText::BitmapSizeNegative));
    if (width > MaxPictureSide || height > MaxPictureSide || std::int64_t{width} * height > MaxPicturePixels)
        throw EInvalidGraphic(ErrorText(TErrorText::BitmapTooLarge));
    if (width == 0 || height == 0) {
        image_ = QImage();
        emptySize_ = QSize(width, height);
        return;
    }
    QImage next(width, height, QImage::Format_RGB32);
    if (next.isNull()) throw EOutOfResources(ErrorText(TErrorText::BitmapNoMemory));
    next.fill(ColorToQRgb(canvas_->Brush.Color));
    if (!image_.isNull()) {
        QPainter painter(&next);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void TBitmap::Assign(const TGraphic& source)
{
    if (&source == this) return;
    QImage image = source.ToImage();
    image_ = image.isNull() || image.format() == QImage::Format_RGB32 ? image
                                                                       : image.convertToFormat(QImage::Format_RGB32);
    emptySize_ = QSize(0, 0);
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        emptySize_ = bitmap->emptySize_;
        pixelFormat_ = bitmap->pixelFormat_;
        transparentColor_ = bitmap->transparentColor_;
    } else {
        pixelFormat_ = TPixelFormat::pf24bit;
    }
}

void TBitmap::LoadFromBytes(std::string_view bytes)
{
    int bits = 0;
    QImage image = DecodeBmp(bytes, &bits);
    image_ = std::move(image);
    pixelFormat_ = FormatOfDepth(bits);
}

String TBitmap::SaveToBytes() const
{
    return EncodeBmp(image_);
}

void TBitmap::WriteBytes(const TByteSink& write) const
{
    EncodeBmp(image_, write);
}

void TBitmap::DecodeJpegInPlace(std::string_view bytes)
{
    DecodeJpeg(bytes, image_);
    pixelFormat_ = TPixelFormat::pf24bit;
}

void TBitmap::DecodeBmpInPlace(std::string_view bytes)
{
    int bits = 0;
    DecodeBmp(bytes, image_, &bits);
    pixelFormat_ = FormatOfDepth(bits);
}

} // namespace velvane
