// Currency to and from text, exact in both directions: the text is read as a
// decimal, never through a double.

#include "platform/rtl/Conversions.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextScan.h"

#include <limits>

namespace velvane {

namespace {

[[noreturn]] void BadCurrency(const String& text)
{
    throw EConvertError(ErrorText(TErrorText::NotFloat, {text}));
}

} // namespace

String CurrToStr(Currency value)
{
    return CurrToStr(value, FormatSettings());
}

String CurrToStr(Currency value, const TFormatSettings& settings)
{
    // Unsigned magnitude so that the most negative amount prints too.
    bool negative = value.Scaled < 0;
    std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value.Scaled)
                                       : static_cast<std::uint64_t>(value.Scaled);
    std::uint64_t whole = magnitude / Currency::Scale;
    auto fraction = static_cast<unsigned>(magnitude % Currency::Scale);

    String out = negative ? "-" : "";
    out += std::to_string(whole);
    if (fraction != 0) {
        char decimals[4];
        for (int i = 3; i >= 0; --i) {
            decimals[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        int used = 4;
        while (decimals[used - 1] == '0') --used;
        out += settings.DecimalSeparator;
        out.append(decimals, static_cast<std::size_t>(used));
    }
    return out;
}

Currency StrToCurr(const String& text)
{
    return StrToCurr(text, FormatSettings());
}

Currency StrToCurr(const String& text, const TFormatSettings& settings)
{
    detail::DecimalText number;
    if (!detail::ScanDecimal(detail::TrimBlanks(text), settings.DecimalSeparator, number)) BadCurrency(text);
    if (number.Digits.empty()) return Currency{};

    // The scaled amount is the digits before position Point + 4; the rest
    // decides the rounding.
    const std::int64_t wholeDigits = number.Point + 4;
    const std::int64_t digitCount = static_cast<std::int64_t>(number.Digits.size());
    if (wholeDigits > 19) BadCurrency(text);
    if (wholeDigits < 0) return Currency{};  // below half of the last place

    std::uint64_t magnitude = 0;
    for (std::int64_t i = 0; i < wholeDigits; ++i) {
        unsigned digit = i < digitCount ? static_cast<unsigned>(number.Digits[static_cast<std::size_t>(i)] - '0') : 0;
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) BadCurrency(text);
        magnitude = magnitude * 10 + digit;
    }
    if (wholeDigits < digitCount) {
        char next = number.Digits[static_cast<std::size_t>(wholeDigits)];
        // Digits has no trailing zeros, so anything after the next digit is
        // non-zero and the amount is past the half.
        bool exactHalf = next == '5' && wholeDigits + 1 == digitCount;
        if (next > '5' || (next == '5' && (!exactHalf || magnitude % 2 == 1))) ++magnitude;
    }

    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (number.Negative ? 1 : 0);
    if (magnitude > limit) BadCurrency(text);
    auto scaled = static_cast<std::int64_t>(number.Negative ? std::uint64_t{0} - magnitude : magnitude);
    return Currency::FromScaled(scaled);
}

} // namespace velvane
