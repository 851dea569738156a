// Hostile bitmap files: an error or a picture, never a crash; a picture
// written back as a bitmap reads again to the same pixels.

#include "platform/graphics/BmpCodec.h"
#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QImage image;
    try {
        image = DecodeBmp(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    const QImage again = DecodeBmp(EncodeBmp(image));
    FUZZ_CHECK(again.size() == image.size());
    for (int y = 0; y < image.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(again.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) FUZZ_CHECK((a[x] & 0xFFFFFF) == (b[x] & 0xFFFFFF));
    }
    return 0;
}
