#pragma once
// Format: printf-like formatting with the class library's rules.
//
// Directives: "%" [index ":"] ["-"] [width] ["." precision] type, where type is
//   d  signed decimal (precision = minimum digits, zero padded)
//   u  unsigned decimal
//   x  hexadecimal, upper case (precision = minimum digits)
//   s  text (precision = maximum characters)
//   e, f, g, n  floating point (n with thousands separators); decimal
//      separator of the current FormatSettings
//   %% a percent sign
// width and precision may be "*", taking the value from the argument list.
// A directive whose argument is missing or of the wrong kind raises
// EConvertError naming the format string.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <initializer_list>
#include <variant>

namespace velvane {

class FormatArg {
public:
    FormatArg(int v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned v) : value_(static_cast<std::int64_t>(v)), unsigned_(true) {}
    FormatArg(unsigned long v) : value_(static_cast<std::int64_t>(v)), unsigned_(true) {}
    FormatArg(unsigned long long v) : value_(static_cast<std::int64_t>(v)), unsigned_(true) {}
    FormatArg(double v) : value_(v) {}
    FormatArg(const char* v) : value_(String(v ? v : "")) {}
    FormatArg(String v) : value_(std::move(v)) {}

    const std::variant<std::int64_t, double, String>& Value() const { return value_; }
    // An unsigned argument above the int64 range is held wrapped; this tells
    // it apart from a negative one.
    bool IsUnsigned() const { return unsigned_; }

private:
    std::variant<std::int64_t, double, String> value_;
    bool unsigned_ = false;
};

String Format(const String& format, std::initializer_list<FormatArg> args);

} // namespace velvane
