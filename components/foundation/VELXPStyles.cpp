#include "components/foundation/VELXPStyles.h"

namespace velvane {

const std::array<const char*, VisualStylesEntryCount> VisualStylesNames = {
    "DrawThemeEdge",
    "DrawThemeBackground",
    "DrawThemeParentBackground",
    "DrawThemeText",
    "DrawThemeIcon",
    "OpenThemeData",
    "CloseThemeData",
    "IsThemeBackgroundPartiallyTransparent",
    "GetThemeBackgroundContentRect",
    "SetWindowTheme",
    "SetThemeAppProperties",
    "IsThemePartDefined",
    "GetThemeColor",
    "GetThemeMetric",
    "GetThemeString",
    "GetThemeBool",
    "GetThemeInt",
    "GetThemeEnumValue",
    "GetThemePosition",
    "GetThemeFont",
    "GetThemeRect",
    "GetThemeFilename",
    "GetThemeSysColor",
    "GetThemeSysColorBrush",
    "GetThemeSysBool",
    "IsThemeActive",
    "IsAppThemed",
    "GetWindowTheme",
    "EnableThemeDialogTexture",
    "IsThemeDialogTextureEnabled",
    "EnableTheming",
};

namespace {

TVisualStylesTable& Table()
{
    static TVisualStylesTable table;
    return table;
}

int& Starts()
{
    static int starts = 0;
    return starts;
}

} // namespace

const TVisualStylesTable& VisualStyles()
{
    return Table();
}

void ThemeApiLoader()
{
    if (Starts()++ > 0) return;
    TVisualStylesTable& table = Table();
    table.Library = LoadLibraryA("UxTheme.dll");
    table.Available = table.Library != nullptr;
    if (!table.Available) return;
    for (std::size_t i = 0; i < VisualStylesEntryCount; ++i)
        table.Entries[i] = GetProcAddress(table.Library, VisualStylesNames[i]);
}

void ThemeApiUnloader()
{
    if (Starts() == 0 || --Starts() > 0) return;
    TVisualStylesTable& table = Table();
    if (table.Library) FreeLibrary(table.Library);
    table = TVisualStylesTable{};
}

bool VisualStylesThemeActive()
{
    using IsThemeActiveProc = BOOL (*)();
    const TVisualStylesTable& table = Table();
    if (!table.Available) return false;
    auto proc = reinterpret_cast<IsThemeActiveProc>(table.Entry(TVisualStylesEntry::IsThemeActive));
    return proc && proc() != FALSE;
}

void VisualStylesSetAppProperties(DWORD flags)
{
    using SetThemeAppPropertiesProc = void (*)(DWORD);
    const TVisualStylesTable& table = Table();
    if (!table.Available) return;
    if (auto proc = reinterpret_cast<SetThemeAppPropertiesProc>(table.Entry(TVisualStylesEntry::SetThemeAppProperties)))
        proc(flags);
}

} // namespace velvane
