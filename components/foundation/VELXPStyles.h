#pragma once
// The binding of the visual-styles library "UxTheme.dll" by name. This
// system has no such library, so the table normally stays unbound and every
// control draws its classic look; a module registered under the name (tests)
// binds like the real one would.

#include "platform/win/Modules.h"

#include <array>
#include <cstddef>

namespace velvane {

// The table's entries, in binding order.
enum class TVisualStylesEntry : std::size_t {
    DrawThemeEdge,
    DrawThemeBackground,
    DrawThemeParentBackground,
    DrawThemeText,
    DrawThemeIcon,
    OpenThemeData,
    CloseThemeData,
    IsThemeBackgroundPartiallyTransparent,
    GetThemeBackgroundContentRect,
    SetWindowTheme,
    SetThemeAppProperties,
    IsThemePartDefined,
    GetThemeColor,
    GetThemeMetric,
    GetThemeString,
    GetThemeBool,
    GetThemeInt,
    GetThemeEnumValue,
    GetThemePosition,
    GetThemeFont,
    GetThemeRect,
    GetThemeFilename,
    GetThemeSysColor,
    GetThemeSysColorBrush,
    GetThemeSysBool,
    IsThemeActive,
    IsAppThemed,
    GetWindowTheme,
    EnableThemeDialogTexture,
    IsThemeDialogTextureEnabled,
    EnableTheming,
};
constexpr std::size_t VisualStylesEntryCount = 31;

// The exported names, in the order above.
extern const std::array<const char*, VisualStylesEntryCount> VisualStylesNames;

struct TVisualStylesTable {
    HMODULE Library = nullptr;
    bool Available = false;  // the library was loaded
    // Empty where the library lacks the function.
    std::array<FARPROC, VisualStylesEntryCount> Entries{};

    FARPROC Entry(TVisualStylesEntry entry) const { return Entries[static_cast<std::size_t>(entry)]; }
};

// The process-wide table (main thread).
const TVisualStylesTable& VisualStyles();

// Binds the table at program start; repeated starts only count. The library
// is looked up by name and every entry bound by name in table order.
void ThemeApiLoader();
// Undoes one start; the last one frees the library and empties the table.
void ThemeApiUnloader();

// The two functions the library's own code calls. Without the library (or
// the entry) IsThemeActive answers false and SetThemeAppProperties does
// nothing.
bool VisualStylesThemeActive();
void VisualStylesSetAppProperties(DWORD flags);

} // namespace velvane
