#include "platform/rtl/TextScan.h"

namespace velvane::detail {

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
