#include "platform/rtl/DateTime.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

namespace velvane {

namespace {

constexpr std::int64_t MSecsPerDay = 86400000;
// Day numbers of 0001-01-01 and of the day after 9999-12-31.
constexpr double FirstDay = -693593;
constexpr double EndDay = 2958466;

class SystemClock final : public TClock {
public:
    TDateTime Now() const override
    {
        auto now = std::chrono::system_clock::now();
        auto sinceEpoch = now.time_since_epoch();
        auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
        int msec = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count());
        std::time_t t = static_cast<std::time_t>(seconds.count());
        std::tm local{};
        localtime_r(&t, &local);
        // A leap second reads as the last second of the minute.
        int second = local.tm_sec > 59 ? 59 : local.tm_sec;
        TDateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        return date + EncodeTime(local.tm_hour, local.tm_min, second, msec);
    }
};

const SystemClock systemClock;
std::atomic<const TClock*> installedClock{nullptr};

int DaysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 0001-01-01 (day 0) in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    return days + day - 1;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    // Whole 400, 100, 4 and 1 year cycles from 0001-01-01.
    std::int64_t n400 = days / 146097;
    days %= 146097;
    std::int64_t n100 = days / 36524;
    if (n100 == 4) n100 = 3;  // the last day of a 400-year cycle
    days -= n100 * 36524;
    std::int64_t n4 = days / 1461;
    days %= 1461;
    std::int64_t n1 = days / 365;
    if (n1 == 4) n1 = 3;  // the last day of a leap year
    days -= n1 * 365;
    year = static_cast<int>(n400 * 400 + n100 * 100 + n4 * 4 + n1 + 1);
    month = 1;
    while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
    day = static_cast<int>(days) + 1;
}

constexpr std::int64_t DayDelta = 693593;  // days from 0001-01-01 to 1899-12-30

// The day number and the milliseconds into that day, rounded to the nearest
// millisecond; a time that rounds up to midnight belongs to the next day.
// Values outside the calendar give false.
bool SplitDateTime(TDateTime value, std::int64_t& day, std::int64_t& msec)
{
    if (!(value >= FirstDay - 1 && value < EndDay + 1)) return false;  // also NaN
    double whole = std::trunc(value);
    msec = std::llround(std::fabs(value - whole) * MSecsPerDay);
    day = static_cast<std::int64_t>(whole);
    if (msec >= MSecsPerDay) {
        msec -= MSecsPerDay;
        ++day;
    }
    return day >= FirstDay && day < EndDay;
}

} // namespace

void SetClock(const TClock* clock)
{
    installedClock.store(clock, std::memory_order_release);
}

const TClock& Clock()
{
    const TClock* clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : systemClock;
}

TDateTime Now()
{
    return Clock().Now();
}

TDateTime Date()
{
    return std::trunc(Now());
}

TDateTime Time()
{
    TDateTime now = Now();
    return std::fabs(now - std::trunc(now));
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    result = static_cast<double>(DaysFromCivil(year, month, day) - DayDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    std::int64_t total = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
    result = static_cast<double>(total) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError(ErrorText(TErrorText::DateEncode));
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime result = 0;
    if (!TryEncodeTime(hour, minute, second, msec, result)) throw EConvertError(ErrorText(TErrorText::TimeEncode));
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    std::int64_t dayNumber = 0, msec = 0;
    if (!SplitDateTime(value, dayNumber, msec)) {
        year = month = day = 0;
        return;
    }
    CivilFromDays(dayNumber + DayDelta, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec)
{
    std::int64_t dayNumber = 0, ms = 0;
    if (!SplitDateTime(value, dayNumber, ms)) {
        // Outside the calendar only the fraction means anything.
        ms = std::isfinite(value) ? std::llround(std::fabs(value - std::trunc(value)) * MSecsPerDay) % MSecsPerDay : 0;
    }
    msec = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

int DayOfWeek(TDateTime value)
{
    std::int64_t dayNumber = 0, msec = 0;
    if (!SplitDateTime(value, dayNumber, msec)) dayNumber = std::isfinite(value) ? static_cast<std::int64_t>(std::fmod(std::trunc(value), 7.0)) : 0;
    // 1899-12-30 was a Saturday.
    return static_cast<int>(((dayNumber % 7) + 7 + 6) % 7) + 1;
}

} // namespace velvane
