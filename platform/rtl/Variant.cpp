#include "platform/rtl/Variant.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextScan.h"

#include <cmath>
#include <limits>

namespace velvane {

namespace {

const char* TypeName(TVarType type)
{
    switch (type) {
    case TVarType::varEmpty: return "Empty";
    case TVarType::varString: return "String";
    case TVarType::varInteger: return "Integer";
    case TVarType::varBoolean: return "Boolean";
    case TVarType::varCurrency: return "Currency";
    case TVarType::varDate: return "Date";
    case TVarType::varDouble: return "Double";
    }
    return "Unknown";
}

[[noreturn]] void CannotConvert(TVarType from, TVarType to)
{
    throw EVariantError(ErrorText(TErrorText::VariantConvert, {TypeName(from), TypeName(to)}));
}

// Nearest integer, ties to even, if it fits the 32-bit range.
bool RoundToInt(double value, int& result)
{
    double rounded = std::nearbyint(value);  // the default rounding mode is to nearest even
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        return false;
    result = static_cast<int>(rounded);
    return true;
}

// Scaled amount to a whole number, ties to even, exactly.
std::int64_t RoundCurrency(Currency value)
{
    std::int64_t whole = value.Scaled / Currency::Scale;
    std::int64_t rest = value.Scaled % Currency::Scale;  // same sign as the amount
    std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
    if (twice > Currency::Scale || (twice == Currency::Scale && whole % 2 != 0)) whole += rest < 0 ? -1 : 1;
    return whole;
}

bool DoubleToCurrency(double value, Currency& result)
{
    double scaled = std::nearbyint(value * Currency::Scale);
    // 2^63 is the first double past the range.
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) return false;
    result = Currency::FromScaled(static_cast<std::int64_t>(scaled));
    return true;
}

} // namespace

Variant Variant::FromDateTime(TDateTime v)
{
    Variant result;
    result.value_ = DateValue{v};
    return result;
}

TVarType Variant::VarType() const
{
    return static_cast<TVarType>(value_.index());
}

String Variant::AsString() const
{
    switch (VarType()) {
    case TVarType::varEmpty: return String();
    case TVarType::varString: return std::get<String>(value_);
    case TVarType::varInteger: return IntToStr(std::get<std::int32_t>(value_));
    case TVarType::varBoolean: return std::get<bool>(value_) ? "True" : "False";
    case TVarType::varCurrency: return CurrToStr(std::get<Currency>(value_));
    case TVarType::varDate: return DateTimeToStr(std::get<DateValue>(value_).value);
    case TVarType::varDouble: return FloatToStr(std::get<double>(value_));
    }
    return String();
}

int Variant::AsInteger() const
{
    int result = 0;
    switch (VarType()) {
    case TVarType::varEmpty: return 0;
    case TVarType::varString:
        try {
            return StrToInt(std::get<String>(value_));
        } catch (const EConvertError&) {
        }
        break;
    case TVarType::varInteger: return std::get<std::int32_t>(value_);
    case TVarType::varBoolean: return std::get<bool>(value_) ? -1 : 0;
    case TVarType::varCurrency: {
        std::int64_t whole = RoundCurrency(std::get<Currency>(value_));
        if (whole >= std::numeric_limits<std::int32_t>::min() && whole <= std::numeric_limits<std::int32_t>::max())
            return static_cast<int>(whole);
        break;
    }
    case TVarType::varDate:
        if (RoundToInt(std::get<DateValue>(value_).value, result)) return result;
        break;
    case TVarType::varDouble:
        if (RoundToInt(std::get<double>(value_), result)) return result;
        break;
    }
    CannotConvert(VarType(), TVarType::varInteger);
}

bool Variant::AsBoolean() const
{
    switch (VarType()) {
    case TVarType::varEmpty: return false;
    case TVarType::varString: {
        const String& text = std::get<String>(value_);
        std::string_view trimmed = detail::TrimBlanks(text);
        if (detail::SameTextAscii(trimmed, "True")) return true;
        if (detail::SameTextAscii(trimmed, "False")) return false;
        try {
            return StrToFloat(text) != 0;
        } catch (const EConvertError&) {
            CannotConvert(VarType(), TVarType::varBoolean);
        }
    }
    case TVarType::varInteger: return std::get<std::int32_t>(value_) != 0;
    case TVarType::varBoolean: return std::get<bool>(value_);
    case TVarType::varCurrency: return std::get<Currency>(value_).Scaled != 0;
    case TVarType::varDate: return std::get<DateValue>(value_).value != 0;
    case TVarType::varDouble: return std::get<double>(value_) != 0;
    }
    return false;
}

Currency Variant::AsCurrency() const
{
    Currency result;
    switch (VarType()) {
    case TVarType::varEmpty: return Currency{};
    case TVarType::varString:
        try {
            return StrToCurr(std::get<String>(value_));
        } catch (const EConvertError&) {
        }
        break;
    case TVarType::varInteger: return Currency::FromScaled(std::int64_t{std::get<std::int32_t>(value_)} * Currency::Scale);
    case TVarType::varBoolean: return Currency::FromScaled(std::get<bool>(value_) ? -Currency::Scale : 0);
    case TVarType::varCurrency: return std::get<Currency>(value_);
    case TVarType::varDate:
        if (DoubleToCurrency(std::get<DateValue>(value_).value, result)) return result;
        break;
    case TVarType::varDouble:
        if (DoubleToCurrency(std::get<double>(value_), result)) return result;
        break;
    }
    CannotConvert(VarType(), TVarType::varCurrency);
}

// Dates and doubles convert alike but for how text is read.
double Variant::AsFloating(TVarType target) const
{
    switch (VarType()) {
    case TVarType::varEmpty: return 0.0;
    case TVarType::varString:
        try {
            const String& text = std::get<String>(value_);
            return target == TVarType::varDate ? StrToDateTime(text) : StrToFloat(text);
        } catch (const EConvertError&) {
            CannotConvert(VarType(), target);
        }
    case TVarType::varInteger: return std::get<std::int32_t>(value_);
    case TVarType::varBoolean: return std::get<bool>(value_) ? -1.0 : 0.0;
    case TVarType::varCurrency: return std::get<Currency>(value_).ToDouble();
    case TVarType::varDate: return std::get<DateValue>(value_).value;
    case TVarType::varDouble: return std::get<double>(value_);
    }
    return 0.0;
}

TDateTime Variant::AsDateTime() const { return AsFloating(TVarType::varDate); }

double Variant::AsDouble() const { return AsFloating(TVarType::varDouble); }

} // namespace velvane
