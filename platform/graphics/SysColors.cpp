#include "platform/graphics/SysColors.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <atomic>

namespace velvane {

namespace {

struct Entry {
    TColor classic;  // 0x00BBGGRR
    QPalette::ColorGroup group;
    // The role that plays the entry's part in a palette; NoRole where a
    // palette has none, and the classic colour stays.
    QPalette::ColorRole role;
};

constexpr auto Active = QPalette::Active;
constexpr auto Disabled = QPalette::Disabled;

// Faces, menus and borders take the window colour, not the palette's button
// colour, so that a face and the window it sits on are one colour whatever
// the scheme; the text on faces takes the window's text colour with it. The
// 3D light differs from the face so that a bevel's two inner shades can be
// told apart.
constexpr std::array<Entry, COLOR_ENTRIES> kEntries = {{
    {0xC0C0C0, Active, QPalette::Button},           //  0 scroll bar
    {0x808000, Active, QPalette::NoRole},           //  1 desktop (teal)
    {0x800000, Active, QPalette::Highlight},        //  2 active caption (navy)
    {0x808080, Active, QPalette::Dark},             //  3 inactive caption
    {0xC0C0C0, Active, QPalette::Window},           //  4 menu
    {0xFFFFFF, Active, QPalette::Base},             //  5 window
    {0x000000, Active, QPalette::Shadow},           //  6 window frame
    {0x000000, Active, QPalette::WindowText},       //  7 menu text
    {0x000000, Active, QPalette::Text},             //  8 window text
    {0xFFFFFF, Active, QPalette::HighlightedText},  //  9 caption text
    {0xC0C0C0, Active, QPalette::Window},           // 10 active border
    {0xC0C0C0, Active, QPalette::Window},           // 11 inactive border
    {0x808080, Active, QPalette::Dark},             // 12 application work space
    {0x800000, Active, QPalette::Highlight},        // 13 highlight (navy)
    {0xFFFFFF, Active, QPalette::HighlightedText},  // 14 highlighted text
    {0xC0C0C0, Active, QPalette::Window},           // 15 button face
    {0x808080, Active, QPalette::Dark},             // 16 button shadow
    {0x808080, Disabled, QPalette::WindowText},     // 17 grey text
    {0x000000, Active, QPalette::WindowText},       // 18 button text
    {0xC0C0C0, Active, QPalette::Window},           // 19 inactive caption text
    {0xFFFFFF, Active, QPalette::Light},            // 20 button highlight
    {0x000000, Active, QPalette::Shadow},           // 21 3D dark shadow
    {0xDFDFDF, Active, QPalette::Midlight},         // 22 3D light
    {0x000000, Active, QPalette::ToolTipText},      // 23 tool tip text
    {0xE1FFFF, Active, QPalette::ToolTipBase},      // 24 tool tip background
    {0x000000, Active, QPalette::NoRole},           // 25 (none)
    {0xFF0000, Active, QPalette::Link},             // 26 hot-tracked item
    {0xD08410, Active, QPalette::NoRole},           // 27 active caption gradient
    {0xB5B5B5, Active, QPalette::NoRole},           // 28 inactive caption gradient
    {0x800000, Active, QPalette::Highlight},        // 29 menu highlight
    {0xC0C0C0, Active, QPalette::Window},           // 30 menu bar
}};

std::atomic<bool> pinned{false};

} // namespace

TColor GetSysColor(int index)
{
    if (index < 0 || index >= COLOR_ENTRIES) return 0;
    const Entry& entry = kEntries[static_cast<std::size_t>(index)];
    if (entry.role == QPalette::NoRole || pinned || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return entry.classic;
    return QRgbToColor(QGuiApplication::palette().color(entry.group, entry.role).rgb());
}

TColor ColorToRGB(TColor color)
{
    return (color & 0xFF000000u) == 0x80000000u ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

bool PinClassicSysColors(bool value)
{
    return pinned.exchange(value);
}

} // namespace velvane
