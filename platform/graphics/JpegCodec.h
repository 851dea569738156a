#pragma once
// JPEG through libjpeg-turbo. Anything libjpeg complains about, warnings
// included, is an error here: a truncated file raises instead of coming back
// padded with grey.

#include "platform/rtl/Types.h"

#include <QImage>

#include <string_view>

namespace velvane {

// Baseline, progressive, greyscale (as grey RGB) and CMYK/YCCK (converted,
// Adobe's inverted CMYK included) into an RGB32 image. Raises EJPEG with
// libjpeg's message.
QImage DecodeJpeg(std::string_view bytes);
// The same into image, whose memory is used again when it is an RGB32 image
// of the picture's size that nothing else shares. Once the header has been
// read, an error may leave image holding part of the picture.
void DecodeJpeg(std::string_view bytes, QImage& image);

// Baseline JPEG of the image at the given quality (1..100).
String EncodeJpeg(const QImage& image, int quality = 90);

} // namespace velvane
