#include "platform/graphics/BmpCodec.h"

#include "platform/graphics/PixelMemory.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace velvane {

namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;

[[noreturn]] void Invalid(TErrorText reason)
{
    throw EInvalidGraphic(ErrorText(TErrorText::BitmapInvalid, {ErrorText(reason)}));
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

void Put16(String& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(String& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// One colour channel of a bit-field pixel, widened to 8 bits by repeating
// its bits (5-bit 0x1F gives 0xFF, 0x10 gives 0x84), as display drivers do.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::uint8_t table[256] = {};

    static Channel From(std::uint32_t mask)
    {
        Channel c;
        if (mask == 0) return c;
        c.mask = mask;
        c.shift = std::countr_zero(mask);
        const std::uint32_t run = mask >> c.shift;
        if ((run & (run + 1)) != 0) Invalid(TErrorText::BmpMaskGaps);
        c.bits = std::popcount(run);
        if (c.bits < 8) {
            for (std::uint32_t v = 0; v <= run; ++v) {
                std::uint32_t wide = 0;
                int filled = 0;
                for (; filled < 8; filled += c.bits) wide = (wide << c.bits) | v;
                c.table[v] = static_cast<std::uint8_t>(wide >> (filled - 8));
            }
        }
        return c;
    }
    std::uint32_t Get(std::uint32_t pixel) const
    {
        if (bits == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        return bits < 8 ? table[v] : v >> (bits - 8);
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;   // positive: bottom-up
    int bits = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    bool core = false;
    std::size_t paletteAt = 0;  // where the palette (or the masks after a 40-byte header) ends up
};

} // namespace

QImage DecodeBmp(std::string_view bytes, int* bitsPerPixel)
{
    QImage image;
    DecodeBmp(bytes, image, bitsPerPixel);
    return image;
}

void DecodeBmp(std::string_view bytes, QImage& image, int* bitsPerPixel)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();

    if (size < 2 || data[0] != 'B' || data[1] != 'M') Invalid(TErrorText::BmpNotABitmap);
    if (size < FileHeaderSize + 4) Invalid(TErrorText::BmpHeaderCut);
    const std::uint32_t pixelOffset = U32(data + 10);
    const std::uint32_t headerSize = U32(data + 14);
    if (headerSize != CoreHeaderSize && headerSize != InfoHeaderSize && headerSize != 52 && headerSize != 56
        && headerSize != 108 && headerSize != 124)
        Invalid(TErrorText::BmpUnknownHeader);
    if (size < FileHeaderSize + headerSize) Invalid(TErrorText::BmpHeaderCut);

    const std::uint8_t* h = data + FileHeaderSize;
    Header hd;
    int planes = 0;
    if (headerSize == CoreHeaderSize) {
        hd.core = true;
        hd.width = U16(h + 4);
        hd.height = U16(h + 6);
        planes = U16(h + 8);
        hd.bits = U16(h + 10);
    } else {
        hd.width = static_cast<std::int32_t>(U32(h + 4));
        hd.height = static_cast<std::int32_t>(U32(h + 8));
        planes = U16(h + 12);
        hd.bits = U16(h + 14);
        hd.compression = U32(h + 16);
        hd.colorsUsed = U32(h + 32);
    }
    hd.paletteAt = FileHeaderSize + headerSize;

    if (planes != 1) Invalid(TErrorText::BmpPlanes);
    if (hd.width <= 0) Invalid(TErrorText::BmpWidth);
    if (hd.height == 0) Invalid(TErrorText::BmpHeight);
    const bool topDown = hd.height < 0;
    const std::int64_t rows = topDown ? -hd.height : hd.height;
    if (hd.width > MaxPictureSide || rows > MaxPictureSide) Invalid(TErrorText::BmpTooLarge);
    if (hd.width * rows > MaxPicturePixels) Invalid(TErrorText::BmpTooLarge);

    const int bits = hd.bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Invalid(TErrorText::BmpBitsPerPixel);
    if (hd.core && bits > 8 && bits != 24) Invalid(TErrorText::BmpBitsPerPixel);

    if (hd.compression == BI_RLE8 || hd.compression == BI_RLE4) Invalid(TErrorText::BmpRunLength);
    if (hd.compression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32) Invalid(TErrorText::BmpMasksNeedDepth);
        if (headerSize == InfoHeaderSize) {
            // The three masks follow a 40-byte header.
            if (size < hd.paletteAt + 12) Invalid(TErrorText::BmpMasksCut);
            for (int i = 0; i < 3; ++i) hd.masks[i] = U32(data + hd.paletteAt + 4 * i);
            hd.paletteAt += 12;
        } else {
            for (int i = 0; i < 3; ++i) hd.masks[i] = U32(h + 40 + 4 * i);
        }
    } else if (hd.compression != BI_RGB) {
        Invalid(TErrorText::BmpCompression);
    } else if (bits == 16) {
        hd.masks[0] = 0x7C00;
        hd.masks[1] = 0x03E0;
        hd.masks[2] = 0x001F;
    } else if (bits == 32) {
        hd.masks[0] = 0x00FF0000;
        hd.masks[1] = 0x0000FF00;
        hd.masks[2] = 0x000000FF;
    }
    if (bits == 16) {
        for (auto m : hd.masks)
            if (m > 0xFFFF) Invalid(TErrorText::BmpMaskTooWide);
    }

    // The palette.
    QRgb palette[256];
    std::uint32_t paletteCount = 0;
    if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        paletteCount = hd.colorsUsed == 0 ? full : hd.colorsUsed;
        if (paletteCount > full) Invalid(TErrorText::BmpPaletteTooLarge);
        const std::size_t entry = hd.core ? 3 : 4;
        if (hd.paletteAt > size || (size - hd.paletteAt) / entry < paletteCount) Invalid(TErrorText::BmpPaletteCut);
        for (std::uint32_t i = 0; i < paletteCount; ++i) {
            const std::uint8_t* e = data + hd.paletteAt + i * entry;
            palette[i] = qRgb(e[2], e[1], e[0]);
        }
    }

    // The pixel rows, whole, before anything is allocated.
    const std::uint64_t stride = ((static_cast<std::uint64_t>(hd.width) * bits + 31) / 32) * 4;
    if (pixelOffset < FileHeaderSize + headerSize || pixelOffset > size) Invalid(TErrorText::BmpPixelOffset);
    if ((size - pixelOffset) / stride < static_cast<std::uint64_t>(rows)) Invalid(TErrorText::BmpPixelsCut);

    const int w = static_cast<int>(hd.width);
    const int hgt = static_cast<int>(rows);
    if (!PrepareRgb32Image(image, w, hgt)) throw EOutOfResources(ErrorText(TErrorText::BitmapNoMemoryFor, {w, hgt}));

    const Channel red = Channel::From(hd.masks[0]);
    const Channel green = Channel::From(hd.masks[1]);
    const Channel blue = Channel::From(hd.masks[2]);

    for (int y = 0; y < hgt; ++y) {
        const std::uint8_t* src = data + pixelOffset + stride * static_cast<std::uint64_t>(topDown ? y : hgt - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        switch (bits) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / bits;
            const unsigned valueMask = (1u << bits) - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                const unsigned index = (src[x / perByte] >> shift) & valueMask;
                if (index >= paletteCount) Invalid(TErrorText::BmpPaletteIndex);
                dst[x] = palette[index];
            }
            break;
        }
        case 16:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = U16(src + 2 * x);
                dst[x] = qRgb(red.Get(p), green.Get(p), blue.Get(p));
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x) dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = U32(src + 4 * x);
                dst[x] = qRgb(red.Get(p), green.Get(p), blue.Get(p));
            }
            break;
        }
    }
    if (bitsPerPixel) *bitsPerPixel = bits;
}

String EncodeBmp(const QImage& image)
{
    String out;
    if (!image.isNull()) out.reserve(54 + ((static_cast<std::size_t>(image.width()) * 24 + 31) / 32) * 4 * image.height());
    EncodeBmp(image, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

void EncodeBmp(const QImage& source, const TByteSink& write)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        throw EInvalidGraphic(ErrorText(TErrorText::EmptyPictureNotSaved));
    const QImage image = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const std::uint32_t w = static_cast<std::uint32_t>(image.width());
    const std::uint32_t h = static_cast<std::uint32_t>(image.height());
    const std::uint64_t stride = ((std::uint64_t{w} * 24 + 31) / 32) * 4;
    const std::uint64_t imageSize = stride * h;
    const std::uint64_t fileSize = FileHeaderSize + InfoHeaderSize + imageSize;
    if (fileSize > 0xFFFFFFFFu) throw EInvalidGraphic(ErrorText(TErrorText::BitmapTooLargeToSave));

    String header;
    header += "BM";
    Put32(header, static_cast<std::uint32_t>(fileSize));
    Put32(header, 0);
    Put32(header, FileHeaderSize + InfoHeaderSize);
    Put32(header, InfoHeaderSize);
    Put32(header, w);
    Put32(header, h);
    Put16(header, 1);
    Put16(header, 24);
    Put32(header, BI_RGB);
    Put32(header, static_cast<std::uint32_t>(imageSize));
    Put32(header, 2835);
    Put32(header, 2835);
    Put32(header, 0);
    Put32(header, 0);
    write(header);

    // Rows go out a band at a time through one small buffer, which the
    // allocator hands back the next time: no memory of the file's size.
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    const std::size_t padding = static_cast<std::size_t>(stride) - rowBytes;
    const std::size_t bandRows = std::max<std::size_t>(1, (std::size_t{64} << 10) / stride);
    std::vector<char> band(static_cast<std::size_t>(stride) * std::min<std::size_t>(bandRows, h));
    std::size_t at = 0;
    for (std::uint32_t y = h; y-- > 0;) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
        char* dst = band.data() + at;
        std::uint32_t x = 0;
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            // A pixel in memory is B, G, R, X: copy four bytes and let the
            // next pixel overwrite the fourth. The row's last pixel copies three.
            for (; x + 1 < w; ++x) std::memcpy(dst + 3 * x, src + x, 4);
        }
        for (; x < w; ++x) {
            dst[3 * x] = static_cast<char>(qBlue(src[x]));
            dst[3 * x + 1] = static_cast<char>(qGreen(src[x]));
            dst[3 * x + 2] = static_cast<char>(qRed(src[x]));
        }
        std::memset(dst + rowBytes, 0, padding);
        at += static_cast<std::size_t>(stride);
        if (at == band.size() || y == 0) {
            write(std::string_view(band.data(), at));
            at = 0;
        }
    }
}

} // namespace velvane
