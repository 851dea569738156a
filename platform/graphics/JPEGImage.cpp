#include "platform/graphics/Graphics.h"

#include "platform/graphics/JpegCodec.h"

namespace velvane {

void TJPEGImage::Assign(const TGraphic& source)
{
    if (&source == this) return;
    QImage image = source.ToImage();
    image_ = image.isNull() || image.format() == QImage::Format_RGB32 ? image
                                                                       : image.convertToFormat(QImage::Format_RGB32);
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) quality_ = jpeg->quality_;
}

void TJPEGImage::LoadFromBytes(std::string_view bytes)
{
    image_ = DecodeJpeg(bytes);
}

String TJPEGImage::SaveToBytes() const
{
    return EncodeJpeg(image_, quality_);
}

} // namespace velvane
