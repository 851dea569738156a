// Hostile JPEG files: an error or a picture, never a crash or a wait; a
// small picture encodes and decodes again at its size.

#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QImage image;
    try {
        image = DecodeJpeg(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EJPEG&) {
        return 0;
    }
    FUZZ_CHECK(!image.isNull() && image.format() == QImage::Format_RGB32);
    if (std::int64_t{image.width()} * image.height() <= 1 << 16)
        FUZZ_CHECK(DecodeJpeg(EncodeJpeg(image)).size() == image.size());
    return 0;
}
