#include "platform/graphics/SysColors.h"

#include <array>

namespace velvane {

namespace {

// 0x00BBGGRR. The 3D light differs from the face so that a bevel's two
// inner shades can be told apart.
constexpr std::array<TColor, 31> kClassicColors = {
    0xC0C0C0,  //  0 scroll bar
    0x808000,  //  1 desktop (teal)
    0x800000,  //  2 active caption (navy)
    0x808080,  //  3 inactive caption
    0xC0C0C0,  //  4 menu
    0xFFFFFF,  //  5 window
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xFFFFFF,  //  9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application work space
    0x800000,  // 13 highlight (navy)
    0xFFFFFF,  // 14 highlighted text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xDFDFDF,  // 22 3D light
    0x000000,  // 23 tool tip text
    0xE1FFFF,  // 24 tool tip background
    0x000000,  // 25 (none)
    0xFF0000,  // 26 hot-tracked item
    0xD08410,  // 27 active caption gradient
    0xB5B5B5,  // 28 inactive caption gradient
    0x800000,  // 29 menu highlight
    0xC0C0C0,  // 30 menu bar
};

} // namespace

TColor GetSysColor(int index)
{
    return index >= 0 && index < static_cast<int>(kClassicColors.size()) ? kClassicColors[index] : 0;
}

TColor ColorToRGB(TColor color)
{
    return (color & 0xFF000000u) == 0x80000000u ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

} // namespace velvane
