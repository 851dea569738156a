#pragma once
// TDateTime: days since 1899-12-30 in local time, the time of day as the
// fraction (for days before that date the fraction still counts forward from
// midnight: -1.25 is 1899-12-29 06:00). Now() reads an injectable clock.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

namespace velvane {

// The source of the current time. The system clock is used unless another
// one is installed with SetClock.
class TClock {
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() const = 0;
};

// Installs a clock (not owned); nullptr returns to the system clock.
void SetClock(const TClock* clock);
const TClock& Clock();

TDateTime Now();
TDateTime Date();  // today at midnight
TDateTime Time();  // the time of day only

// Encoding raises EConvertError for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
// 1 Sunday .. 7 Saturday.
int DayOfWeek(TDateTime value);
bool IsLeapYear(int year);

// Text in the short date format, the long time format, and both joined by a
// blank (the time left out when it is exactly midnight).
String DateToStr(TDateTime value);
String DateToStr(TDateTime value, const TFormatSettings& settings);
String TimeToStr(TDateTime value);
String TimeToStr(TDateTime value, const TFormatSettings& settings);
String DateTimeToStr(TDateTime value);
String DateTimeToStr(TDateTime value, const TFormatSettings& settings);

// Reading follows the order of day, month and year in the short date format
// and the date separator; a two-digit year falls within 50 years of now. A
// time is hours and minutes with optional seconds and AM/PM text. Anything
// else raises EConvertError quoting the text.
TDateTime StrToDate(const String& text);
TDateTime StrToDate(const String& text, const TFormatSettings& settings);
TDateTime StrToTime(const String& text);
TDateTime StrToTime(const String& text, const TFormatSettings& settings);
TDateTime StrToDateTime(const String& text);
TDateTime StrToDateTime(const String& text, const TFormatSettings& settings);

} // namespace velvane
