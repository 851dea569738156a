#pragma once
// Pictures as rows of letters, one letter a pixel, so that drawing tests
// state whole pictures. Two alphabets:
// - PixelMap, a QImage filled with a marker, reads 3D colours:
//   . marker (untouched), F face, L 3D light, H highlight (white),
//   S shadow (grey), D dark shadow (black);
// - Paint/RowsOf/PaintedBitmap on a TBitmap read plain colours:
//   . white  K black  R red  G lime  B blue  Y yellow  M fuchsia
//   C aqua  g grey  s silver  o olive  n navy.
// A colour without a letter reads as '?'.

#include "platform/graphics/Graphics.h"
#include "platform/graphics/SysColors.h"

#include <QImage>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace velvane::test {

constexpr TColor kMarker = 0x00FF00FF;

// Pins the system colours to the classic scheme of the 3D letters while it lives.
struct ClassicColours {
    ClassicColours() : before(PinClassicSysColors(true)) {}
    ~ClassicColours() { PinClassicSysColors(before); }
    bool before;
};

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

using Rows = std::vector<std::string>;

constexpr char Letters[] = "KRGBYMCgson.";

inline TColor ColourOfLetter(char c)
{
    static const TColor colours[] = {clBlack, clRed, clLime, clBlue, clYellow, clFuchsia,
                                     clAqua,  clGray, clSilver, 0x008080, clNavy, clWhite};
    const char* at = std::char_traits<char>::find(Letters, 12, c);
    return at ? colours[at - Letters] : clWhite;
}

inline char LetterOfColour(TColor color)
{
    for (char c : std::string(Letters))
        if (ColourOfLetter(c) == color) return c;
    return '?';
}

// A bitmap drawn from rows of equal length.
inline void Paint(TBitmap& bitmap, const Rows& rows)
{
    bitmap.SetSize(rows.empty() ? 0 : static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            bitmap.Canvas().SetPixels(x, y, ColourOfLetter(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
}

inline Rows RowsOf(const TBitmap& bitmap)
{
    Rows rows;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::string row;
        for (int x = 0; x < bitmap.Width(); ++x) row += LetterOfColour(bitmap.Canvas().Pixels(x, y));
        rows.push_back(row);
    }
    return rows;
}

// A bitmap painted as it is made.
struct PaintedBitmap : TBitmap {
    explicit PaintedBitmap(const Rows& rows) { Paint(*this, rows); }
};

} // namespace velvane::test
