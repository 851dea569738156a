#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <QDateTime>
#include "tests/support/Locales.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

using namespace velvane;

namespace {

struct FakeClock : TClock {
    TDateTime value = 0;
    explicit FakeClock(TDateTime v) : value(v) {}
    TDateTime Now() const override { return value; }
};

// Installs a clock for the length of a test.
struct ClockScope {
    explicit ClockScope(const TClock& clock) { SetClock(&clock); }
    ~ClockScope() { SetClock(nullptr); }
};

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    TDateTime date = EncodeDate(y, mo, d);
    TDateTime time = EncodeTime(h, mi, s, 0);
    return date < 0 ? date - time : date + time;
}

using test::Brazil;
using test::Germany;
using test::UnitedStates;

} // namespace

TEST(DateTime, EncodesTheCalendarBothWays)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);

    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(4));

    TDateTime out = 123;
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out));
    EXPECT_EQ(out, 123);
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, out));
    EXPECT_EQ(out, 36585);
    for (auto [y, m, d] : {std::array{0, 1, 1}, {10000, 1, 1}, {2000, 0, 1}, {2000, 13, 1}, {2000, 1, 0}, {2000, 4, 31},
                           {2023, 2, 29}, {-1, 1, 1}})
        EXPECT_FALSE(TryEncodeDate(y, m, d, out)) << y << "-" << m << "-" << d;
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    for (auto [h, n, s, ms] : {std::array{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}})
        EXPECT_FALSE(TryEncodeTime(h, n, s, ms, out));
    EXPECT_THROW(EncodeTime(0, 0, 0, -1), EConvertError);

    // Every day of the calendar decodes to the date that encodes back to it,
    // one after the other.
    int py = 0, pm = 12, pd = 31;
    for (int day = -693593; day <= 2958465; ++day) {
        int y, m, d;
        DecodeDate(day, y, m, d);
        bool next = (d == pd + 1 && m == pm && y == py) || (d == 1 && m == pm + 1 && y == py) ||
                    (d == 1 && m == 1 && pm == 12 && y == py + 1);
        ASSERT_TRUE(next) << day << ": " << y << "-" << m << "-" << d;
        ASSERT_EQ(EncodeDate(y, m, d), day);
        py = y, pm = m, pd = d;
    }
    EXPECT_EQ(py, 9999);

    EXPECT_EQ(DayOfWeek(0), 7);                          // a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 11)), 3);    // a Tuesday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 9) + 0.9), 1);
    EXPECT_EQ(DayOfWeek(-1.25), 6);
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);
}

TEST(DateTime, DecodesTimesAndNegativeValues)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h, n, s, ms}), (std::array{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(At(1899, 12, 29, 6), -1.25);

    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ((std::array{h, n, s, ms}), (std::array{23, 59, 59, 999}));

    // Just below a whole day rounds up to the next midnight, date included.
    for (double value : {std::nextafter(1.0, 0.0), 1.0 - 0.4 / 86400000}) {
        DecodeDate(value, y, m, d);
        DecodeTime(value, h, n, s, ms);
        EXPECT_EQ((std::array{y, m, d, h, n, s, ms}), (std::array{1899, 12, 31, 0, 0, 0, 0})) << value;
    }
    DecodeTime(1.0 - 0.6 / 86400000, h, n, s, ms);
    EXPECT_EQ((std::array{h, n, s, ms}), (std::array{23, 59, 59, 999}));
    DecodeDate(-1.0 - 0.4 / 86400000, y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{1899, 12, 29}));
    DecodeDate(-1.9999999999999, y, m, d);
    DecodeTime(-1.9999999999999, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h, n, s, ms}), (std::array{1899, 12, 30, 0, 0, 0, 0}));

    DecodeDate(2958466, y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{0, 0, 0}));
    DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{0, 0, 0}));
    DecodeTime(std::numeric_limits<double>::infinity(), h, n, s, ms);
    EXPECT_EQ((std::array{h, n, s, ms}), (std::array{0, 0, 0, 0}));
}

TEST(DateTime, NowReadsTheInstalledClock)
{
    QDateTime before = QDateTime::currentDateTime();
    TDateTime now = Now();
    QDateTime after = QDateTime::currentDateTime();
    auto asValue = [](const QDateTime& t) {
        return At(t.date().year(), t.date().month(), t.date().day()) +
               EncodeTime(t.time().hour(), t.time().minute(), t.time().second(), t.time().msec());
    };
    EXPECT_GE(now, asValue(before) - 0.5 / 86400);
    EXPECT_LE(now, asValue(after) + 0.5 / 86400);

    FakeClock fake(At(2024, 6, 11, 18));
    {
        ClockScope scope(fake);
        EXPECT_EQ(&Clock(), &fake);
        EXPECT_EQ(Now(), At(2024, 6, 11, 18));
        EXPECT_EQ(Date(), EncodeDate(2024, 6, 11));
        EXPECT_EQ(Time(), 0.75);
    }
    EXPECT_NE(&Clock(), &fake);

    // Swapping clocks while other threads read the time.
    FakeClock other(42.5);
    std::atomic<bool> stop{false};
    std::atomic<int> strange{0};
    std::vector<std::thread> readers;
    SetClock(&other);
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                TDateTime t = Now();
                if (t != fake.value && t != other.value) ++strange;
            }
        });
    for (int i = 0; i < 20000; ++i) SetClock(i % 2 ? &fake : &other);
    stop = true;
    for (auto& t : readers) t.join();
    SetClock(nullptr);
    EXPECT_EQ(strange, 0);
}

TEST(DateTime, WritesTheLocaleFormats)
{
    TDateTime early = At(2024, 6, 1, 0, 5, 9);
    EXPECT_EQ(DateTimeToStr(early, UnitedStates()), "6/1/2024 12:05:09 AM");
    EXPECT_EQ(DateTimeToStr(early, Brazil()), "01/06/2024 00:05:09");
    EXPECT_EQ(DateTimeToStr(At(2024, 12, 24, 13, 7), Germany()), "24.12.2024 13:07:00");
    EXPECT_EQ(TimeToStr(0.5, UnitedStates()), "12:00:00 PM");
    EXPECT_EQ(TimeToStr(At(1, 1, 1, 23, 59, 59), UnitedStates()), "11:59:59 PM");
    EXPECT_EQ(TimeToStr(0, UnitedStates()), "12:00:00 AM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 6, 1), Germany()), "01.06.2024");
    EXPECT_EQ(DateTimeToStr(-1.25, Brazil()), "29/12/1899 06:00:00");
    EXPECT_EQ(DateToStr(EncodeDate(5, 3, 7), UnitedStates()), "3/7/0005");
    // Seconds are cut, not rounded.
    EXPECT_EQ(TimeToStr(EncodeTime(10, 0, 59, 999), Brazil()), "10:00:59");

    TFormatSettings odd = Brazil();
    odd.ShortDateFormat = "yyyy/m/d 'of' yy";
    odd.DateSeparator = '-';
    odd.LongTimeFormat = "h:n:s AMPM";
    odd.TimeSeparator = '.';
    odd.TimePMString = "p.m.";
    EXPECT_EQ(DateTimeToStr(At(2024, 6, 1, 15, 4, 5), odd), "2024-6-1 of 24 3.4.5 p.m.");

    TFormatSettings saved = FormatSettings();
    SetFormatSettings(Germany());
    EXPECT_EQ(DateToStr(EncodeDate(2024, 2, 29)), "29.02.2024");
    EXPECT_EQ(StrToDate("29.02.2024"), EncodeDate(2024, 2, 29));
    SetFormatSettings(saved);
}

TEST(DateTime, TextRoundTripsInEveryLocale)
{
    std::vector<TDateTime> values;
    for (auto [y, m, d] : {std::array{1899, 12, 30}, {1899, 12, 29}, {1899, 12, 31}, {1, 1, 1}, {1600, 2, 29},
                           {1900, 3, 1}, {2000, 2, 29}, {2024, 6, 11}, {9999, 12, 31}})
        for (auto [h, n, s] : {std::array{0, 0, 0}, {12, 0, 0}, {23, 59, 59}, {0, 0, 1}, {11, 59, 59}, {12, 0, 1},
                               {13, 5, 7}, {0, 59, 0}})
            values.push_back(At(y, m, d, h, n, s));
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> day(-693593, 2958465), second(0, 86399);
    for (int i = 0; i < 3000; ++i) {
        TDateTime date = day(random), time = EncodeTime(0, 0, 0, 0) + second(random) / 86400.0;
        int h, n, s, ms;
        DecodeTime(time, h, n, s, ms);
        int y, m, d;
        DecodeDate(date, y, m, d);
        values.push_back(At(y, m, d, h, n, s));
    }

    for (const TFormatSettings& fs : {Brazil(), UnitedStates(), Germany()}) {
        for (TDateTime x : values) {
            String text = DateTimeToStr(x, fs);
            ASSERT_EQ(StrToDateTime(text, fs), x) << text;
            ASSERT_EQ(StrToDate(DateToStr(x, fs), fs), std::trunc(x)) << text;
            int h, n, s, ms;
            DecodeTime(x, h, n, s, ms);
            ASSERT_EQ(StrToTime(TimeToStr(x, fs), fs), EncodeTime(h, n, s, 0)) << text;
        }
    }
}

TEST(DateTime, ReadsDatesInTheLocaleOrder)
{
    TFormatSettings br = Brazil(), us = UnitedStates(), de = Germany();
    EXPECT_EQ(StrToDate(" 1/2/2024 ", br), EncodeDate(2024, 2, 1));
    EXPECT_EQ(StrToDate("1/2/2024", us), EncodeDate(2024, 1, 2));
    EXPECT_EQ(StrToDate("0001.0002.02024", de), EncodeDate(2024, 2, 1));
    EXPECT_EQ(StrToDate("29/02/2000", br), EncodeDate(2000, 2, 29));
    TFormatSettings iso = br;
    iso.ShortDateFormat = "yyyy-mm-dd";
    iso.DateSeparator = '-';
    EXPECT_EQ(StrToDate("2024-06-11", iso), EncodeDate(2024, 6, 11));

    FakeClock june2024(At(2024, 6, 11, 9));
    {
        ClockScope scope(june2024);
        // Window 1974..2073.
        EXPECT_EQ(StrToDate("01/01/74", br), EncodeDate(1974, 1, 1));
        EXPECT_EQ(StrToDate("01/01/73", br), EncodeDate(2073, 1, 1));
        EXPECT_EQ(StrToDate("01/01/24", br), EncodeDate(2024, 1, 1));
        EXPECT_EQ(StrToDate("01/01/0", br), EncodeDate(2000, 1, 1));
        EXPECT_EQ(StrToDate("01/01/99", br), EncodeDate(1999, 1, 1));
        // Three or more digits are taken as written.
        EXPECT_EQ(StrToDate("01/01/024", br), EncodeDate(24, 1, 1));
        // Without a year, this year.
        EXPECT_EQ(StrToDate("3/4", us), EncodeDate(2024, 3, 4));
        EXPECT_EQ(StrToDateTime("3/4 1:00 PM", us), EncodeDate(2024, 3, 4) + EncodeTime(13, 0, 0, 0));
    }
    FakeClock year2075(At(2075, 1, 1));
    {
        ClockScope scope(year2075);
        EXPECT_EQ(StrToDate("1.1.24", de), EncodeDate(2124, 1, 1));
        EXPECT_EQ(StrToDate("1.1.25", de), EncodeDate(2025, 1, 1));
    }

    for (const char* bad : {"", "   ", "12a", "1", "1/", "/1/2000", "1//2000", "1/1/2000/", "1/1/2000/1", "1-1-2000",
                            "29/02/1900", "31/04/2024", "00/01/2000", "32/01/2000", "01/13/2000", "1/1/10000",
                            "1/1/0000", "99999999999999999999/1/2000", "1 /1/2000", "--1/1/2000", "+1/1/2000",
                            "1/1/2000 10:00", "1.1.2000"})
        EXPECT_THROW(StrToDate(bad, br), EConvertError) << bad;
    EXPECT_THROW(StrToDate("13/1/2000", us), EConvertError);
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToDate("31/02/2024", Brazil()); }), "'31/02/2024' não é uma data válida");
}

TEST(DateTime, ReadsTimesAndDateTimes)
{
    TFormatSettings br = Brazil(), us = UnitedStates();
    EXPECT_EQ(StrToTime("12:00 AM", us), 0);
    EXPECT_EQ(StrToTime("12:00:00 pm", us), 0.5);
    EXPECT_EQ(StrToTime("0:30 AM", us), EncodeTime(0, 30, 0, 0));
    EXPECT_EQ(StrToTime("11:59:59PM", us), EncodeTime(23, 59, 59, 0));
    EXPECT_EQ(StrToTime("1:05 pM", br), EncodeTime(13, 5, 0, 0));  // AM/PM read in a 24-hour locale too
    EXPECT_EQ(StrToTime(" 7:5 ", br), EncodeTime(7, 5, 0, 0));
    EXPECT_EQ(StrToTime("23:59:59", br), EncodeTime(23, 59, 59, 0));
    TFormatSettings local = us;
    local.TimeAMString = "a.m.";
    local.TimePMString = "p.m.";
    EXPECT_EQ(StrToTime("3:00 P.M.", local), EncodeTime(15, 0, 0, 0));

    for (const char* bad : {"", "  ", "12", "12:", ":30", "24:00", "12:60", "12:30:60", "13:00 PM", "12:00 XM",
                            "12:00:00:00", "12.30", "1:2:3 AMX", "1:2 AM PM", "-1:00", "12a:00", "1:2:"})
        EXPECT_THROW(StrToTime(bad, us), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToTime("25:00", Brazil()); }), "'25:00' não é uma hora válida");

    EXPECT_EQ(StrToDateTime("  11/06/2024   10:30  ", br), At(2024, 6, 11, 10, 30));
    EXPECT_EQ(StrToDateTime("29/12/1899 06:00", br), -1.25);
    EXPECT_EQ(StrToDateTime("10:30", br), EncodeTime(10, 30, 0, 0));
    for (const char* bad : {"", " ", "11/06/2024 x", "11/06/2024 25:00", "11/06/2024T10:00", "11/06/2024 10:30 11",
                            "10:30 11/06/2024", "31/11/2024 10:00"})
        EXPECT_THROW(StrToDateTime(bad, br), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToDateTime("11/06/2024 x", Brazil()); }), "'11/06/2024 x' não é uma data e hora válidas");
}
