#pragma once
// The names colours and character sets go by in stored forms: the sixteen
// standard colours and four more, the system colours, clNone and clDefault;
// the Windows character sets. A value without a name is stored as a number.

#include "platform/rtl/Types.h"

#include <cstdint>

namespace velvane {

// Character sets of a font.
constexpr std::uint8_t ANSI_CHARSET = 0;
constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t SYMBOL_CHARSET = 2;

// False for a value without a name; names are compared without regard to
// letter case.
bool ColorToIdent(std::int64_t color, String& ident);
bool IdentToColor(const String& ident, std::int64_t& color);
bool CharsetToIdent(std::int64_t charset, String& ident);
bool IdentToCharset(const String& ident, std::int64_t& charset);

} // namespace velvane
