#pragma once
// Helpers shared by the text-to-value conversions; not part of the public
// platform interface.

#include <cstdint>
#include <string>
#include <string_view>

namespace velvane::detail {

// Control characters and the space, as the class library's Trim sees them.
constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text);
// ASCII letters compared without case; other bytes must match exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

// A decimal number taken apart exactly: value = 0.Digits x 10^Point, sign
// aside. Digits has no leading zeros and is empty for zero.
struct DecimalText {
    bool Negative = false;
    std::string Digits;
    std::int64_t Point = 0;
};

// Optional sign, digits with at most one separator (at least one digit in
// all), optional e/E exponent with optional sign. The whole text must match;
// blanks are the caller's business.
bool ScanDecimal(std::string_view text, char separator, DecimalText& out);

} // namespace velvane::detail
