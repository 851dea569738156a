#include "platform/rtl/TextScan.h"

namespace velvane::detail {

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool ScanDecimal(std::string_view text, char separator, DecimalText& out)
{
    out = DecimalText{};
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.Negative = text[i++] == '-';

    bool anyDigit = false;
    bool seenSeparator = false;
    std::int64_t point = 0;  // digits kept before the separator
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (IsDigit(c)) {
            anyDigit = true;
            if (out.Digits.empty() && c == '0') {
                // A leading zero only moves the point when it follows the separator.
                if (seenSeparator) --point;
                continue;
            }
            out.Digits += c;
            if (!seenSeparator) ++point;
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return false;

    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        if (i >= text.size() || !IsDigit(text[i])) return false;
        // Saturates: beyond a billion the number is zero or out of any range.
        for (; i < text.size() && IsDigit(text[i]); ++i)
            if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
        if (negative) exponent = -exponent;
    }
    if (i != text.size()) return false;

    while (!out.Digits.empty() && out.Digits.back() == '0') out.Digits.pop_back();
    out.Point = out.Digits.empty() ? 0 : point + exponent;
    return true;
}

} // namespace velvane::detail
