#pragma once
// Helpers shared by the text-to-value conversions; not part of the public
// platform interface.

#include "platform/rtl/AsciiText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velvane::detail {

using velvane::IsBlank;
using velvane::SameTextAscii;
using velvane::TrimBlanks;
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
