#pragma once
// Picture rows in the pixel layout of an X visual, without Xlib: the layout
// is described by plain numbers, so every layout can be tried without a
// server that has it.

#include <QImage>

#include <array>
#include <cstdint>

namespace velvane {

// How an X image stores one pixel.
struct XPixelLayout {
    int bitsPerPixel = 32;  // 16, 24 or 32
    bool msbFirst = false;  // byte order of a pixel in memory
    std::uint32_t redMask = 0xFF0000, greenMask = 0x00FF00, blueMask = 0x0000FF;
};

// True when the rows of an RGB32 QImage already are rows of this layout
// (32 bits, red above green above blue, eight bits each, in the machine's
// own byte order), so they can be sent as they are.
bool IsRgb32Layout(const XPixelLayout& layout);

// Turns RGB32 rows into rows of another layout, one channel table each, so a
// pixel costs three look-ups and a store. A channel narrower than eight bits
// keeps its top bits; a wider one repeats them, so white stays full white.
class XRowConverter {
public:
    explicit XRowConverter(const XPixelLayout& layout);

    // 16, 24 or 32 bits per pixel and three non-empty masks, each one run of
    // bits inside the pixel and none overlapping.
    bool Supported() const { return supported_; }
    int BytesPerPixel() const { return layout_.bitsPerPixel / 8; }

    // Writes width pixels, exactly width * BytesPerPixel() bytes.
    void Convert(const QRgb* source, int width, unsigned char* target) const;
    // One pixel's value in the layout (before it is stored in byte order).
    std::uint32_t Pixel(QRgb rgb) const { return red_[qRed(rgb)] | green_[qGreen(rgb)] | blue_[qBlue(rgb)]; }

private:
    XPixelLayout layout_;
    bool supported_ = false;
    std::array<std::uint32_t, 256> red_{}, green_{}, blue_{};
};

} // namespace velvane
