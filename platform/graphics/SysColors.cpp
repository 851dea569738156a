#include "platform/graphics/SysColors.h"

#include <array>

namespace velvane {

namespace {

constexpr TColor Rgb(int r, int g, int b)
{
    return static_cast<TColor>(r) | static_cast<TColor>(g) << 8 | static_cast<TColor>(b) << 16;
}

constexpr std::array<TColor, 25> Table = {
    Rgb(192, 192, 192),  // scroll bar
    Rgb(0, 128, 128),    // desktop
    Rgb(0, 0, 128),      // active caption
    Rgb(128, 128, 128),  // inactive caption
    Rgb(192, 192, 192),  // menu
    Rgb(255, 255, 255),  // window
    Rgb(0, 0, 0),        // window frame
    Rgb(0, 0, 0),        // menu text
    Rgb(0, 0, 0),        // window text
    Rgb(255, 255, 255),  // caption text
    Rgb(192, 192, 192),  // active border
    Rgb(192, 192, 192),  // inactive border
    Rgb(128, 128, 128),  // application workspace
    Rgb(0, 0, 128),      // highlight
    Rgb(255, 255, 255),  // highlight text
    Rgb(192, 192, 192),  // button face
    Rgb(128, 128, 128),  // button shadow
    Rgb(128, 128, 128),  // grey text
    Rgb(0, 0, 0),        // button text
    Rgb(192, 192, 192),  // inactive caption text
    Rgb(255, 255, 255),  // button highlight
    Rgb(0, 0, 0),        // 3D dark shadow
    Rgb(223, 223, 223),  // 3D light
    Rgb(0, 0, 0),        // tool tip text
    Rgb(255, 255, 225),  // tool tip background
};

} // namespace

std::uint32_t GetSysColor(int index)
{
    return index >= 0 && index < static_cast<int>(Table.size()) ? Table[static_cast<std::size_t>(index)] : 0;
}

TColor ColorToRGB(TColor color)
{
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFFu;
}

} // namespace velvane
