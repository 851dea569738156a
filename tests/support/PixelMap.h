#pragma once
// A small picture to draw on, filled with a marker colour, read back as
// rows of letters: one letter per pixel for the classic colours, so that a
// test states what it expects as a picture.
//
//   . marker (untouched)   F face      L 3D light   H highlight (white)
//   S shadow (grey)        D dark shadow (black)    ? anything else

#include "platform/graphics/Graphics.h"

#include <QImage>

#include <algorithm>
#include <string>

namespace velvane::test {

constexpr TColor kMarker = 0x00FF00FF;

struct PixelMap {
    PixelMap(int width, int height, TColor fill = kMarker)
        : image(width, height, QImage::Format_RGB32), canvas(image)
    {
        image.fill(ColorToQRgb(fill));
    }

    TColor At(int x, int y) const { return canvas.Pixels(x, y); }

    static char Letter(TColor c)
    {
        switch (c) {
        case kMarker: return '.';
        case 0xC0C0C0: return 'F';
        case 0xDFDFDF: return 'L';
        case 0xFFFFFF: return 'H';
        case 0x808080: return 'S';
        case 0x000000: return 'D';
        default: return '?';
        }
    }

    // Rows top to bottom, each ended by a line break.
    std::string Map() const { return Map(TRect{0, 0, image.width(), image.height()}); }
    std::string Map(const TRect& r) const
    {
        std::string out;
        for (int y = r.Top; y < r.Bottom; ++y) {
            for (int x = r.Left; x < r.Right; ++x) out += Letter(At(x, y));
            out += '\n';
        }
        return out;
    }

    // The smallest rectangle holding every pixel that is not background;
    // empty when there is none.
    TRect Ink(TColor background = kMarker) const
    {
        TRect r{image.width(), image.height(), 0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(x, y) != background) {
                    r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r.IsEmpty() ? TRect{} : r;
    }

    // How many pixels have exactly this colour.
    int Count(TColor color) const
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += At(x, y) == color;
        return n;
    }

    QImage image;
    TCanvas canvas;
};

} // namespace velvane::test
