#include "platform/desktop/XImageRows.h"

#include <bit>

namespace velvane {

namespace {

// The table placing an 8-bit value into the channel of the mask.
bool FillChannel(std::uint32_t mask, std::array<std::uint32_t, 256>& table)
{
    if (mask == 0) return false;
    const int shift = std::countr_zero(mask);
    const std::uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0) return false;  // not one run of bits
    const int bits = std::popcount(run);
    for (std::uint32_t v = 0; v < 256; ++v) {
        std::uint32_t wide = v;
        if (bits < 8) {
            wide = v >> (8 - bits);
        } else {
            // Repeat the value's bits below it: 0xFF in ten bits is 0x3FF.
            int filled = 8;
            while (filled < bits) {
                wide = (wide << 8) | v;
                filled += 8;
            }
            wide >>= filled - bits;
        }
        table[v] = wide << shift;
    }
    return true;
}

} // namespace

bool IsRgb32Layout(const XPixelLayout& layout)
{
    return layout.bitsPerPixel == 32 && layout.msbFirst == (std::endian::native == std::endian::big) &&
           layout.redMask == 0xFF0000 && layout.greenMask == 0x00FF00 && layout.blueMask == 0x0000FF;
}

XRowConverter::XRowConverter(const XPixelLayout& layout) : layout_(layout)
{
    const int bpp = layout.bitsPerPixel;
    if (bpp != 16 && bpp != 24 && bpp != 32) return;
    const std::uint64_t all = std::uint64_t{layout.redMask} | layout.greenMask | layout.blueMask;
    if ((layout.redMask & layout.greenMask) || (layout.redMask & layout.blueMask) ||
        (layout.greenMask & layout.blueMask) || (bpp < 32 && (all >> bpp) != 0))
        return;
    supported_ = FillChannel(layout.redMask, red_) && FillChannel(layout.greenMask, green_) &&
                 FillChannel(layout.blueMask, blue_);
}

void XRowConverter::Convert(const QRgb* source, int width, unsigned char* target) const
{
    const int bytes = BytesPerPixel();
    for (int x = 0; x < width; ++x, target += bytes) {
        const std::uint32_t p = Pixel(source[x]);
        if (layout_.msbFirst) {
            for (int i = 0; i < bytes; ++i) target[i] = static_cast<unsigned char>(p >> (8 * (bytes - 1 - i)));
        } else {
            for (int i = 0; i < bytes; ++i) target[i] = static_cast<unsigned char>(p >> (8 * i));
        }
    }
}

} // namespace velvane
