#include "platform/rtl/Conversions.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextScan.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace velvane {

namespace {

[[noreturn]] void BadInteger(const String& text)
{
    throw EConvertError(ErrorText(TErrorText::NotInteger, {text}));
}

[[noreturn]] void BadFloat(const String& text)
{
    throw EConvertError(ErrorText(TErrorText::NotFloat, {text}));
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads an integer of the given width. Decimal must fit the signed range;
// hexadecimal is a bit pattern of up to that width ("$FFFFFFFF" is -1), as
// the class library reads it.
template <typename T>
bool TryParseInteger(std::string_view text, T& result)
{
    using U = std::make_unsigned_t<T>;
    text = detail::TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && text[0] == '$') {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;

    U magnitude = 0;
    const U base = hex ? 16 : 10;
    const U limit = hex ? std::numeric_limits<U>::max()
                        : static_cast<U>(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
    for (char c : text) {
        int digit = hex ? HexValue(c) : (detail::IsDigit(c) ? c - '0' : -1);
        if (digit < 0) return false;
        if (magnitude > (limit - static_cast<U>(digit)) / base) return false;
        magnitude = magnitude * base + static_cast<U>(digit);
    }
    if (negative) magnitude = static_cast<U>(U{0} - magnitude);
    result = static_cast<T>(magnitude);
    return true;
}

} // namespace

String IntToStr(std::int64_t value)
{
    char buffer[24];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return String(buffer, end);
}

String IntToHex(std::int64_t value, int digits)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint64_t>(value);
    String out;
    do {
        out.insert(out.begin(), hexDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (digits > static_cast<int>(out.size())) out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

int StrToInt(const String& text)
{
    std::int32_t value = 0;
    if (!TryParseInteger(text, value)) BadInteger(text);
    return value;
}

int StrToIntDef(const String& text, int defaultValue)
{
    std::int32_t value = 0;
    return TryParseInteger(text, value) ? value : defaultValue;
}

std::int64_t StrToInt64(const String& text)
{
    std::int64_t value = 0;
    if (!TryParseInteger(text, value)) BadInteger(text);
    return value;
}

String FloatToStr(double value)
{
    return FloatToStr(value, FormatSettings());
}

String FloatToStr(double value, const TFormatSettings& settings)
{
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // The shortest digits that read back, taken from the scientific form
    // "d.ddde+XX": value = 0.digits x 10^point.
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    std::string_view sci(buffer, static_cast<std::size_t>(end - buffer));
    bool negative = sci.front() == '-';
    if (negative) sci.remove_prefix(1);
    std::size_t e = sci.find('e');
    String digits;
    for (char c : sci.substr(0, e))
        if (detail::IsDigit(c)) digits += c;
    int exponent = 0;
    std::string_view exponentText = sci.substr(e + 1);
    if (exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    int point = exponent + 1;

    String out = negative ? "-" : "";
    const int digitCount = static_cast<int>(digits.size());
    if (point > 15 || point < -3) {
        out += digits[0];
        if (digitCount > 1) {
            out += settings.DecimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        out += IntToStr(point - 1);
    } else if (point <= 0) {
        out += '0';
        out += settings.DecimalSeparator;
        out.append(static_cast<std::size_t>(-point), '0');
        out += digits;
    } else if (point >= digitCount) {
        out += digits;
        out.append(static_cast<std::size_t>(point - digitCount), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(point));
        out += settings.DecimalSeparator;
        out.append(digits, static_cast<std::size_t>(point));
    }
    return out;
}

double StrToFloat(const String& text)
{
    return StrToFloat(text, FormatSettings());
}

double StrToFloat(const String& text, const TFormatSettings& settings)
{
    detail::DecimalText number;
    if (!detail::ScanDecimal(detail::TrimBlanks(text), settings.DecimalSeparator, number)) BadFloat(text);
    double sign = number.Negative ? -1.0 : 1.0;
    if (number.Digits.empty() || number.Point < -400) return sign * 0.0;
    if (number.Point > 400) BadFloat(text);

    // Rebuilt in the one form from_chars reads regardless of the C locale.
    String normal = "0." + number.Digits + "e" + IntToStr(number.Point);
    double magnitude = 0;
    auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), magnitude);
    if (ec == std::errc::result_out_of_range) {
        if (number.Point > 0) BadFloat(text);
        return sign * 0.0;
    }
    if (ec != std::errc() || ptr != normal.data() + normal.size() || std::isinf(magnitude)) BadFloat(text);
    return sign * magnitude;
}

} // namespace velvane
