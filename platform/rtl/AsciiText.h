#pragma once
// Letter case and blanks as the stored data sees them: only the ASCII
// letters A to Z fold (as the settings store's keys do), whatever the
// process's locale; other bytes compare exactly.

#include "platform/rtl/Types.h"

#include <string_view>

namespace velvane {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
String AsciiLowerCase(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsWithAscii(std::string_view text, std::string_view prefix);

// Control characters and the space, as the class library's Trim sees them.
constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
std::string_view TrimBlanks(std::string_view text);

} // namespace velvane
