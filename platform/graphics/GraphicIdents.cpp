#include "platform/graphics/GraphicIdents.h"

#include "platform/rtl/AsciiText.h"

#include <span>

namespace velvane {

namespace {

struct Named {
    std::int64_t value;
    const char* ident;
};

// System colours are 0x80000000 plus the index of the system's colour table.
constexpr std::int64_t System = 0x80000000;

constexpr Named Colors[] = {
    {0x000000, "clBlack"},       {0x000080, "clMaroon"},      {0x008000, "clGreen"},
    {0x008080, "clOlive"},       {0x800000, "clNavy"},        {0x800080, "clPurple"},
    {0x808000, "clTeal"},        {0x808080, "clGray"},        {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},         {0x00FF00, "clLime"},        {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},        {0xFF00FF, "clFuchsia"},     {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},       {0xC0DCC0, "clMoneyGreen"},  {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},       {0xA4A0A0, "clMedGray"},
    {System + 0, "clScrollBar"}, {System + 1, "clBackground"}, {System + 2, "clActiveCaption"},
    {System + 3, "clInactiveCaption"}, {System + 4, "clMenu"}, {System + 5, "clWindow"},
    {System + 6, "clWindowFrame"}, {System + 7, "clMenuText"}, {System + 8, "clWindowText"},
    {System + 9, "clCaptionText"}, {System + 10, "clActiveBorder"}, {System + 11, "clInactiveBorder"},
    {System + 12, "clAppWorkSpace"}, {System + 13, "clHighlight"}, {System + 14, "clHighlightText"},
    {System + 15, "clBtnFace"}, {System + 16, "clBtnShadow"}, {System + 17, "clGrayText"},
    {System + 18, "clBtnText"}, {System + 19, "clInactiveCaptionText"}, {System + 20, "clBtnHighlight"},
    {System + 21, "cl3DDkShadow"}, {System + 22, "cl3DLight"}, {System + 23, "clInfoText"},
    {System + 24, "clInfoBk"}, {System + 26, "clHotLight"}, {System + 27, "clGradientActiveCaption"},
    {System + 28, "clGradientInactiveCaption"}, {System + 29, "clMenuHighlight"}, {System + 30, "clMenuBar"},
    {0x1FFFFFFF, "clNone"},      {0x20000000, "clDefault"},
};

constexpr Named Charsets[] = {
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},   {2, "SYMBOL_CHARSET"},      {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"},     {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},  {186, "BALTIC_CHARSET"},    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

bool ToIdent(std::span<const Named> table, std::int64_t value, String& ident)
{
    for (const Named& n : table)
        if (n.value == value) {
            ident = n.ident;
            return true;
        }
    return false;
}

bool FromIdent(std::span<const Named> table, const String& ident, std::int64_t& value)
{
    for (const Named& n : table)
        if (SameTextAscii(ident, n.ident)) {
            value = n.value;
            return true;
        }
    return false;
}

} // namespace

bool ColorToIdent(std::int64_t color, String& ident) { return ToIdent(Colors, color, ident); }
bool IdentToColor(const String& ident, std::int64_t& color) { return FromIdent(Colors, ident, color); }
bool CharsetToIdent(std::int64_t charset, String& ident) { return ToIdent(Charsets, charset, ident); }
bool IdentToCharset(const String& ident, std::int64_t& charset) { return FromIdent(Charsets, ident, charset); }

} // namespace velvane
