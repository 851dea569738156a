#include "platform/rtl/Format.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace velvane {

namespace {

// Widths and precisions above this are taken as a broken format rather than
// a request for megabytes of padding.
constexpr int MaxWidth = 1'000'000;
// The most digits a double can be asked for; more would only show noise.
constexpr int MaxFloatDigits = 18;

struct Directive {
    bool left = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char type = 0;
};

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CodePoints(std::string_view s)
{
    return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return !IsContinuation(c); }));
}

// The first count characters, never cutting a UTF-8 sequence.
std::string_view FirstCodePoints(std::string_view s, size_t count)
{
    size_t seen = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsContinuation(s[i])) continue;
        if (seen++ == count) return s.substr(0, i);
    }
    return s;
}

String UnsignedDigits(std::uint64_t value, int base)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
    String digits(buffer, result.ptr);
    if (base == 16) std::transform(digits.begin(), digits.end(), digits.begin(), [](char c) { return c >= 'a' ? char(c - 32) : c; });
    return digits;
}

String ZeroPadded(String digits, int precision)
{
    if (precision > static_cast<int>(digits.size())) digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
    return digits;
}

// A value rounded to a number of significant digits: the digits without the
// point, and the power of ten of the first one.
struct Rounded {
    bool negative;
    String digits;
    int exponent;
};

Rounded RoundSignificant(double value, int significant)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, significant - 1);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    auto e = text.find('e');
    Rounded r{std::signbit(value), String(), 0};
    for (char c : text.substr(0, e))
        if (c != '.') r.digits += c;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), r.exponent);
    return r;
}

bool AllZero(std::string_view text)
{
    return text.find_first_of("123456789") == std::string_view::npos;
}

// A rounded zero carries no sign: "-0.00" reads as a mistake.
String Signed(bool negative, String text)
{
    return negative && !AllZero(text) ? "-" + text : text;
}

String Exponent(int exponent, size_t minDigits, bool plus)
{
    String digits = std::to_string(std::abs(exponent));
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    return String("E") + (exponent < 0 ? "-" : plus ? "+" : "") + digits;
}

String FormatExponent(double value, int significant, char sep)
{
    Rounded r = RoundSignificant(value, significant);
    String mantissa = r.digits.substr(0, 1);
    if (r.digits.size() > 1) mantissa += sep + r.digits.substr(1);
    return Signed(r.negative, mantissa) + Exponent(r.exponent, 3, true);
}

String FormatGeneral(double value, int significant, char sep)
{
    Rounded r = RoundSignificant(value, significant);
    String& d = r.digits;
    while (d.size() > 1 && d.back() == '0') d.pop_back();
    if (d == "0") return "0";

    int x = r.exponent;
    String text;
    if (x >= significant || x < -5) {
        text = d.substr(0, 1);
        if (d.size() > 1) text += sep + d.substr(1);
        return Signed(r.negative, text) + Exponent(x, 0, false);
    }
    if (x >= 0) {
        auto intDigits = static_cast<size_t>(x) + 1;
        if (d.size() <= intDigits) return Signed(r.negative, d + String(intDigits - d.size(), '0'));
        text = d.substr(0, intDigits) + sep + d.substr(intDigits);
    } else {
        text = "0" + String(1, sep) + String(static_cast<size_t>(-x - 1), '0') + d;
    }
    return Signed(r.negative, text);
}

String FormatFixed(double value, int decimals, char sep, char thousands)
{
    char buffer[512];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, decimals);
    String text(buffer, result.ptr);
    auto point = text.find('.');
    if (point != String::npos) text[point] = sep;
    else point = text.size();
    if (thousands != '\0')
        for (auto i = point; i > 3; i -= 3) text.insert(i - 3, 1, thousands);
    return Signed(std::signbit(value), text);
}

class Formatter {
public:
    Formatter(const String& format, std::initializer_list<FormatArg> args)
        : format_(format), args_(args.begin()), count_(args.size()) {}

    String Run()
    {
        for (size_t i = 0; i < format_.size();) {
            auto percent = format_.find('%', i);
            if (percent == String::npos) percent = format_.size();
            out_.append(format_, i, percent - i);
            if (percent == format_.size()) break;
            i = percent + 1;
            if (i < format_.size() && format_[i] == '%') {
                out_ += '%';
                ++i;
                continue;
            }
            Directive d = Parse(i);
            Emit(d);
        }
        return std::move(out_);
    }

private:
    [[noreturn]] void Invalid() const
    {
        throw EConvertError(ErrorText(TErrorText::FormatInvalid, {format_}));
    }

    const FormatArg& NextArg()
    {
        if (next_ >= count_) Invalid();
        return args_[next_++];
    }

    std::int64_t IntArg()
    {
        const auto* v = std::get_if<std::int64_t>(&NextArg().Value());
        if (!v) Invalid();
        return *v;
    }

    // Digits or "*"; false when neither is there.
    bool Number(size_t& i, int& value)
    {
        if (i < format_.size() && format_[i] == '*') {
            ++i;
            std::int64_t v = IntArg();
            if (v > MaxWidth || v < -MaxWidth) Invalid();
            value = static_cast<int>(v);
            return true;
        }
        if (i >= format_.size() || format_[i] < '0' || format_[i] > '9') return false;
        value = 0;
        for (; i < format_.size() && format_[i] >= '0' && format_[i] <= '9'; ++i) {
            value = value * 10 + (format_[i] - '0');
            if (value > MaxWidth) Invalid();
        }
        return true;
    }

    Directive Parse(size_t& i)
    {
        Directive d;
        int n = 0;
        bool haveNumber = Number(i, n);
        if (haveNumber && i < format_.size() && format_[i] == ':') {
            // An index moves the argument pointer; later directives go on from it.
            if (n < 0) Invalid();
            next_ = static_cast<size_t>(n);
            ++i;
            haveNumber = false;
        }
        if (!haveNumber) {
            if (i < format_.size() && format_[i] == '-') {
                d.left = true;
                ++i;
            }
            haveNumber = Number(i, n);
        }
        if (haveNumber) {
            if (n < 0) d.left = true;
            d.width = std::abs(n);
        }
        if (i < format_.size() && format_[i] == '.') {
            ++i;
            // "." alone means none; a negative "*" means as if not given.
            int p = 0;
            Number(i, p);
            d.precision = p < 0 ? -1 : p;
        }
        if (i >= format_.size()) Invalid();
        char t = format_[i++];
        d.type = t >= 'A' && t <= 'Z' ? char(t + 32) : t;
        return d;
    }

    // A negative value that fits 32 bits prints as the 32-bit pattern, the way
    // the class library treats its Integer arguments.
    static std::uint64_t AsUnsigned(const FormatArg& arg, std::int64_t v)
    {
        if (arg.IsUnsigned() || v >= 0) return static_cast<std::uint64_t>(v);
        if (v >= std::numeric_limits<std::int32_t>::min()) return static_cast<std::uint32_t>(v);
        return static_cast<std::uint64_t>(v);
    }

    void Emit(const Directive& d)
    {
        const TFormatSettings& settings = FormatSettings();
        String text;
        const FormatArg& arg = NextArg();
        const auto& value = arg.Value();
        const auto* integer = std::get_if<std::int64_t>(&value);
        const auto* real = std::get_if<double>(&value);

        switch (d.type) {
        case 'd':
            if (!integer) Invalid();
            if (*integer < 0 && !arg.IsUnsigned())
                text = "-" + ZeroPadded(UnsignedDigits(0 - static_cast<std::uint64_t>(*integer), 10), d.precision);
            else
                text = ZeroPadded(UnsignedDigits(static_cast<std::uint64_t>(*integer), 10), d.precision);
            break;
        case 'u':
            if (!integer) Invalid();
            text = ZeroPadded(UnsignedDigits(AsUnsigned(arg, *integer), 10), d.precision);
            break;
        case 'x':
            if (!integer) Invalid();
            text = ZeroPadded(UnsignedDigits(AsUnsigned(arg, *integer), 16), d.precision);
            break;
        case 's': {
            const auto* s = std::get_if<String>(&value);
            if (!s) Invalid();
            text = d.precision >= 0 ? String(FirstCodePoints(*s, static_cast<size_t>(d.precision))) : *s;
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
            if (!real) Invalid();
            text = Float(*real, d, settings);
            break;
        default:
            Invalid();
        }

        size_t length = d.type == 's' ? CodePoints(text) : text.size();
        size_t pad = static_cast<size_t>(d.width) > length ? static_cast<size_t>(d.width) - length : 0;
        if (!d.left) out_.append(pad, ' ');
        out_ += text;
        if (d.left) out_.append(pad, ' ');
    }

    static String Float(double v, const Directive& d, const TFormatSettings& settings)
    {
        if (std::isnan(v)) return "NAN";
        if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
        char sep = settings.DecimalSeparator;
        switch (d.type) {
        case 'e':
            return FormatExponent(v, std::clamp(d.precision < 0 ? 15 : d.precision, 1, MaxFloatDigits), sep);
        case 'g':
            return FormatGeneral(v, std::clamp(d.precision < 0 ? 15 : d.precision, 1, MaxFloatDigits), sep);
        case 'f':
            return FormatFixed(v, std::clamp(d.precision < 0 ? 2 : d.precision, 0, MaxFloatDigits), sep, '\0');
        default:
            return FormatFixed(v, std::clamp(d.precision < 0 ? 2 : d.precision, 0, MaxFloatDigits), sep, settings.ThousandSeparator);
        }
    }

    const String& format_;
    const FormatArg* args_;
    size_t count_;
    size_t next_ = 0;
    String out_;
};

} // namespace

String Format(const String& format, std::initializer_list<FormatArg> args)
{
    return Formatter(format, args).Run();
}

} // namespace velvane
