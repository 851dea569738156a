#pragma once
// Small pictures written as rows of letters, one letter a pixel, so that
// drawing tests can state whole pictures:
//   . white  K black  R red  G lime  B blue  Y yellow  M fuchsia
//   C aqua  g grey  s silver  o olive  n navy
// A colour without a letter reads as '?'.

#include "platform/graphics/Graphics.h"

#include <string>
#include <vector>

namespace velvane::test {

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

} // namespace velvane::test
