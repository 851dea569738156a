#pragma once
// A tagged value: empty, text, integer, Boolean, currency, date-time or
// double. Empty converts to 0, False, empty text or 0.0; other kinds convert
// as the class library converts them (text through the locale conversions,
// True as -1); a conversion that cannot be made raises EVariantError.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <variant>

namespace velvane {

enum class TVarType { varEmpty, varString, varInteger, varBoolean, varCurrency, varDate, varDouble };

class Variant {
public:
    Variant() = default;
    Variant(const char* v) : value_(String(v)) {}
    Variant(String v) : value_(std::move(v)) {}
    Variant(int v) : value_(static_cast<std::int32_t>(v)) {}
    Variant(bool v) : value_(v) {}
    Variant(Currency v) : value_(v) {}
    Variant(double v) : value_(v) {}
    static Variant FromDateTime(TDateTime v);

    TVarType VarType() const;
    bool IsEmpty() const { return VarType() == TVarType::varEmpty; }

    String AsString() const;
    int AsInteger() const;
    bool AsBoolean() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    double AsDouble() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    double AsFloating(TVarType target) const;

    struct DateValue {
        TDateTime value;
        friend bool operator==(DateValue, DateValue) = default;
    };
    std::variant<std::monostate, String, std::int32_t, bool, Currency, DateValue, double> value_;
};

} // namespace velvane
