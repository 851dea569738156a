#pragma once
// Conversions between numbers and text. Text to number raises EConvertError
// with a message that quotes the text; the locale-dependent ones use
// FormatSettings() unless settings are given.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <cstdint>

namespace velvane {

String IntToStr(std::int64_t value);
String IntToHex(std::int64_t value, int digits);
// Decimal or "$"/"0x" hexadecimal, optional sign, surrounding blanks allowed;
// out of the 32-bit range is an error.
int StrToInt(const String& text);
int StrToIntDef(const String& text, int defaultValue);
std::int64_t StrToInt64(const String& text);

// The shortest text that reads back as the same double, with the locale's
// decimal separator ("1,5", "1E20", "-2.5E-7").
String FloatToStr(double value);
String FloatToStr(double value, const TFormatSettings& settings);
// Optional sign, digits with one decimal separator, optional exponent;
// surrounding blanks allowed. No thousands separators.
double StrToFloat(const String& text);
double StrToFloat(const String& text, const TFormatSettings& settings);

// Up to four decimals, no trailing zeros ("1,2346", "12").
String CurrToStr(Currency value);
String CurrToStr(Currency value, const TFormatSettings& settings);
// Parsed exactly as a decimal and rounded to four decimals (half to even).
Currency StrToCurr(const String& text);
Currency StrToCurr(const String& text, const TFormatSettings& settings);

} // namespace velvane
