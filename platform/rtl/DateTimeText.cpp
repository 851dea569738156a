// Dates and times to and from text in the short date and long time formats.

#include "platform/rtl/DateTime.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextScan.h"

#include <array>
#include <cmath>

namespace velvane {

namespace {

using detail::IsBlank;
using detail::IsDigit;

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithAmPm(const String& format, std::size_t i)
{
    return detail::SameTextAscii(std::string_view(format).substr(i, 4), "ampm");
}

std::size_t RunLength(const String& format, std::size_t i)
{
    std::size_t j = i;
    while (j < format.size() && Lower(format[j]) == Lower(format[i])) ++j;
    return j - i;
}

void AppendNumber(String& out, int value, bool pad)
{
    if (pad && value < 10) out += '0';
    out += std::to_string(value);
}

// Writes the format's tokens; quoted text is copied without the quotes, and
// '/' and ':' stand for the locale's separators.
String FormatText(const String& format, TDateTime value, const TFormatSettings& settings)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);

    bool twelveHour = false;
    for (std::size_t i = 0; i < format.size(); ++i)
        if (StartsWithAmPm(format, i)) twelveHour = true;

    String out;
    for (std::size_t i = 0; i < format.size();) {
        char c = format[i];
        char l = Lower(c);
        if (c == '\'' || c == '"') {
            std::size_t end = format.find(c, i + 1);
            if (end == String::npos) end = format.size();
            out.append(format, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (StartsWithAmPm(format, i)) {
            out += hour < 12 ? settings.TimeAMString : settings.TimePMString;
            i += 4;
            continue;
        }
        std::size_t run = RunLength(format, i);
        bool pad = run >= 2;
        std::size_t used = run >= 2 ? 2 : 1;
        switch (l) {
        case 'd': AppendNumber(out, day, pad); break;
        case 'm': AppendNumber(out, month, pad); break;
        case 'y':
            if (run >= 3) {
                String digits = std::to_string(year);
                out.append(digits.size() < 4 ? 4 - digits.size() : 0, '0');
                out += digits;
                used = run >= 4 ? 4 : run;
            } else {
                AppendNumber(out, year % 100, true);
            }
            break;
        case 'h': {
            int shown = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            AppendNumber(out, shown, pad);
            break;
        }
        case 'n': AppendNumber(out, minute, pad); break;
        case 's': AppendNumber(out, second, pad); break;
        case '/': out += settings.DateSeparator; used = 1; break;
        case ':': out += settings.TimeSeparator; used = 1; break;
        default: out += c; used = 1; break;
        }
        i += used;
    }
    return out;
}

// A run of digits; any length, saturating far above any valid field.
bool ScanNumber(std::string_view text, std::size_t& pos, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (value < 100000) value = value * 10 + (text[pos] - '0');
        ++digits;
        ++pos;
    }
    return digits > 0;
}

// The order of day, month and year in the short date format, e.g. "dmy".
std::array<char, 3> DateOrder(const String& format)
{
    std::array<char, 3> order{};
    int found = 0;
    bool seen[3] = {false, false, false};
    for (std::size_t i = 0; i < format.size() && found < 3; ++i) {
        char l = Lower(format[i]);
        if (format[i] == '\'' || format[i] == '"') {
            std::size_t end = format.find(format[i], i + 1);
            if (end == String::npos) break;
            i = end;
            continue;
        }
        int index = l == 'd' ? 0 : l == 'm' ? 1 : l == 'y' ? 2 : -1;
        if (index < 0 || seen[index]) continue;
        seen[index] = true;
        order[static_cast<std::size_t>(found++)] = l;
    }
    if (found != 3) return {'m', 'd', 'y'};
    return order;
}

// Years written with one or two digits fall in the hundred years from fifty
// years before now.
int ExpandYear(int year)
{
    int currentYear, month, day;
    DecodeDate(Now(), currentYear, month, day);
    int windowStart = currentYear - 50;
    year += windowStart / 100 * 100;
    if (year < windowStart) year += 100;
    return year;
}

bool ParseDate(std::string_view text, const TFormatSettings& settings, TDateTime& result)
{
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    std::size_t pos = 0;
    while (true) {
        if (!ScanNumber(text, pos, values[count], digits[count])) return false;
        ++count;
        if (pos == text.size()) break;
        if (count == 3 || text[pos] != settings.DateSeparator) return false;
        ++pos;
    }
    if (count < 2) return false;

    std::array<char, 3> order = DateOrder(settings.ShortDateFormat);
    int year = 0, month = 0, day = 0;
    bool yearGiven = count == 3;
    int field = 0;
    for (char part : order) {
        if (part == 'y' && !yearGiven) continue;
        int value = values[field];
        if (part == 'd') day = value;
        else if (part == 'm') month = value;
        else year = digits[field] <= 2 ? ExpandYear(value) : value;
        ++field;
    }
    if (!yearGiven) {
        int unusedMonth, unusedDay;
        DecodeDate(Now(), year, unusedMonth, unusedDay);
    }
    return TryEncodeDate(year, month, day, result);
}

bool MatchesText(std::string_view text, const String& word)
{
    return !word.empty() && detail::SameTextAscii(text, word);
}

bool ParseTime(std::string_view text, const TFormatSettings& settings, TDateTime& result)
{
    int hour = 0, minute = 0, second = 0, digits = 0;
    std::size_t pos = 0;
    if (!ScanNumber(text, pos, hour, digits)) return false;
    if (pos >= text.size() || text[pos++] != settings.TimeSeparator) return false;
    if (!ScanNumber(text, pos, minute, digits)) return false;
    if (pos < text.size() && text[pos] == settings.TimeSeparator) {
        ++pos;
        if (!ScanNumber(text, pos, second, digits)) return false;
    }

    std::string_view rest = detail::TrimBlanks(text.substr(pos));
    if (!rest.empty()) {
        bool am = MatchesText(rest, settings.TimeAMString) || MatchesText(rest, "AM");
        bool pm = !am && (MatchesText(rest, settings.TimePMString) || MatchesText(rest, "PM"));
        if (!am && !pm) return false;
        if (hour > 12) return false;
        if (hour == 12) hour = 0;
        if (pm) hour += 12;
    }
    return TryEncodeTime(hour, minute, second, 0, result);
}

// Before 1899-12-30 the time still counts forward from the day's midnight,
// which makes the value more negative.
TDateTime Combine(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

[[noreturn]] void Fail(const String& text, TErrorText what) { throw EConvertError(ErrorText(what, {text})); }

} // namespace

String DateToStr(TDateTime value)
{
    return DateToStr(value, FormatSettings());
}

String DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatText(settings.ShortDateFormat, value, settings);
}

String TimeToStr(TDateTime value)
{
    return TimeToStr(value, FormatSettings());
}

String TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatText(settings.LongTimeFormat, value, settings);
}

String DateTimeToStr(TDateTime value)
{
    return DateTimeToStr(value, FormatSettings());
}

String DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    int hour, minute, second, msec;
    DecodeTime(value, hour, minute, second, msec);
    String out = DateToStr(value, settings);
    if (hour != 0 || minute != 0 || second != 0 || msec != 0) out += ' ' + TimeToStr(value, settings);
    return out;
}

TDateTime StrToDate(const String& text)
{
    return StrToDate(text, FormatSettings());
}

TDateTime StrToDate(const String& text, const TFormatSettings& settings)
{
    TDateTime result = 0;
    if (!ParseDate(detail::TrimBlanks(text), settings, result)) Fail(text, TErrorText::NotDate);
    return result;
}

TDateTime StrToTime(const String& text)
{
    return StrToTime(text, FormatSettings());
}

TDateTime StrToTime(const String& text, const TFormatSettings& settings)
{
    TDateTime result = 0;
    if (!ParseTime(detail::TrimBlanks(text), settings, result)) Fail(text, TErrorText::NotTime);
    return result;
}

TDateTime StrToDateTime(const String& text)
{
    return StrToDateTime(text, FormatSettings());
}

TDateTime StrToDateTime(const String& text, const TFormatSettings& settings)
{
    std::string_view trimmed = detail::TrimBlanks(text);
    std::size_t blank = 0;
    while (blank < trimmed.size() && !IsBlank(trimmed[blank])) ++blank;

    TDateTime date = 0, time = 0;
    if (ParseDate(trimmed.substr(0, blank), settings, date)) {
        std::string_view rest = detail::TrimBlanks(trimmed.substr(blank));
        if (rest.empty()) return date;
        if (ParseTime(rest, settings, time)) return Combine(date, time);
    } else if (ParseTime(trimmed, settings, time)) {
        // A time alone is a time on 1899-12-30, as the class library reads it.
        return time;
    }
    Fail(text, TErrorText::NotDateTime);
}

} // namespace velvane
