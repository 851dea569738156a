#pragma once
// A small picture to draw on, filled with a marker colour, read back as
// rows of letters, one per pixel, so that a test states what it expects as
// a picture: . marker (untouched), F face, L 3D light, H highlight (white),
// S shadow (grey), D dark shadow (black), ? anything else.

#include "platform/graphics/Graphics.h"

#include <QImage>

#include <algorithm>
#include <map>
#include <string>

namespace velvane::test {

constexpr TColor kMarker = 0x00FF00FF;

struct PixelMap {
    PixelMap(int width, int height, TColor fill = kMarker) : image(width, height, QImage::Format_RGB32), canvas(image)
    {
        image.fill(ColorToQRgb(fill));
    }

    TColor At(int x, int y) const { return canvas.Pixels(x, y); }

    std::string Map() const { return Map(TRect{0, 0, image.width(), image.height()}); }
    std::string Map(const TRect& r) const
    {
        static const std::map<TColor, char> letters = {{kMarker, '.'},  {0xC0C0C0, 'F'}, {0xDFDFDF, 'L'},
                                                       {0xFFFFFF, 'H'}, {0x808080, 'S'}, {0x000000, 'D'}};
        std::string out;
        for (int y = r.Top; y < r.Bottom; ++y, out += '\n')
            for (int x = r.Left; x < r.Right; ++x) {
                const auto it = letters.find(At(x, y));
                out += it == letters.end() ? '?' : it->second;
            }
        return out;
    }

    // The smallest rectangle holding every pixel that is not background.
    TRect Ink(TColor background = kMarker) const
    {
        TRect r{image.width(), image.height(), 0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(x, y) != background)
                    r = TRect{std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
        return r.IsEmpty() ? TRect{} : r;
    }

    QImage image;
    TCanvas canvas;
};

} // namespace velvane::test
