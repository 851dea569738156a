#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/Locales.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

using namespace velvane;

namespace {

TFormatSettings Comma() { return test::Brazil(); }
TFormatSettings Dot() { return test::UnitedStates(); }

} // namespace

TEST(Conversions, IntegersReadDecimalAndHexWithinRange)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("  -42 \t"), -42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(StrToInt("$1f"), 31);
    EXPECT_EQ(StrToInt("0XFF"), 255);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // hex is a bit pattern
    EXPECT_EQ(StrToInt("007"), 7);

    for (const char* bad : {"", "   ", "12a", "--1", "+-1", "1 2", "1,2,3", "2147483648", "-2147483649", "$", "0x",
                            "$100000000", "$G", "1e3", "99999999999999999999", "- 1", "0x-1", "$-1"}) {
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
        EXPECT_EQ(StrToIntDef(bad, -5), -5) << bad;
    }
    EXPECT_EQ(StrToIntDef(" 12 ", -5), 12);
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToInt(" 12a"); }), "' 12a' não é um valor inteiro válido");

    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_THROW(StrToInt64("-9223372036854775809"), EConvertError);
    EXPECT_THROW(StrToInt64("$10000000000000000"), EConvertError);
    EXPECT_THROW(StrToInt64(""), EConvertError);
}

TEST(Conversions, IntegersWriteExactly)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-15), "-15");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
    EXPECT_EQ(IntToHex(-1, 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(1, -3), "1");

    std::mt19937_64 random(7);
    for (int i = 0; i < 1000; ++i) {
        auto value = static_cast<std::int64_t>(random());
        ASSERT_EQ(StrToInt64(IntToStr(value)), value);
        ASSERT_EQ(StrToInt64("$" + IntToHex(value, 16)), value);
    }
}

TEST(Conversions, FloatsWriteShortestWithTheLocaleSeparator)
{
    TFormatSettings comma = Comma();
    EXPECT_EQ(FloatToStr(0.0, comma), "0");
    EXPECT_EQ(FloatToStr(1.5, comma), "1,5");
    EXPECT_EQ(FloatToStr(1.5, Dot()), "1.5");
    EXPECT_EQ(FloatToStr(-2.5e-7, comma), "-2,5E-7");
    EXPECT_EQ(FloatToStr(1e20, comma), "1E20");
    EXPECT_EQ(FloatToStr(0.0001, comma), "0,0001");
    EXPECT_EQ(FloatToStr(0.00001, comma), "1E-5");
    EXPECT_EQ(FloatToStr(123456789012345.0, comma), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15, comma), "1E15");
    EXPECT_EQ(FloatToStr(1234567890123456.0, Dot()), "1.234567890123456E15");
    EXPECT_EQ(FloatToStr(100.0, comma), "100");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, Dot()), "0.30000000000000004");
    EXPECT_EQ(FloatToStr(5e-324, Dot()), "5E-324");
    EXPECT_EQ(FloatToStr(1.7976931348623157e308, Dot()), "1.7976931348623157E308");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), comma), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity(), comma), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), comma), "-INF");
}

TEST(Conversions, FloatsReadBackBitForBit)
{
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> plain(-1e6, 1e6);
    for (const TFormatSettings& fs : {Comma(), Dot()}) {
        for (int i = 0; i < 20000; ++i) {
            double value;
            if (i % 2 == 0) {
                std::uint64_t bits = random();
                std::memcpy(&value, &bits, sizeof value);
                if (!std::isfinite(value)) continue;
            } else {
                value = plain(random);
            }
            String text = FloatToStr(value, fs);
            double back = StrToFloat(text, fs);
            ASSERT_EQ(std::memcmp(&back, &value, sizeof value) == 0 || (value == 0 && back == 0), true) << text;
            ASSERT_EQ(text.find(fs.DecimalSeparator == ',' ? '.' : ','), String::npos) << text;
        }
    }
}

TEST(Conversions, FloatsReadOnlyWellFormedText)
{
    TFormatSettings comma = Comma();
    EXPECT_EQ(StrToFloat(" 1,5 ", comma), 1.5);
    EXPECT_EQ(StrToFloat("-,5", comma), -0.5);
    EXPECT_EQ(StrToFloat("5,", comma), 5.0);
    EXPECT_EQ(StrToFloat("+1E3", comma), 1000.0);
    EXPECT_EQ(StrToFloat("2,5e-1", comma), 0.25);
    EXPECT_EQ(StrToFloat("1.5", Dot()), 1.5);
    EXPECT_EQ(StrToFloat("000123", Dot()), 123.0);
    EXPECT_EQ(StrToFloat("1e-400", Dot()), 0.0);
    EXPECT_TRUE(std::signbit(StrToFloat("-0", Dot())));
    EXPECT_EQ(StrToFloat("0,000000000000000000000000000001e30", comma), 1.0);
    EXPECT_EQ(StrToFloat("1e-99999999999999999999999", Dot()), 0.0);
    EXPECT_EQ(StrToFloat("1,7976931348623157e308", comma), 1.7976931348623157e308);

    // '.' is no separator where the locale uses ',' and there are no thousands.
    for (const char* bad : {"", "  ", "12a", "--1", "1,2,3", "1.5", "1.000,5", ",", "-", "e5", "1e", "1e+", "1e5.0",
                            "1e400", "-1e400", "1,8e308", "NAN", "INF", "0x10", "$10", "1 000", "1e 5", "1,5 e2"}) {
        EXPECT_THROW(StrToFloat(bad, comma), EConvertError) << bad;
    }
    EXPECT_THROW(StrToFloat("1,5", Dot()), EConvertError);
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { StrToFloat("1.5", comma); }), "'1.5' não é um valor de ponto flutuante válido");

    TFormatSettings saved = FormatSettings();
    SetFormatSettings(comma);
    EXPECT_EQ(StrToFloat("3,25"), 3.25);
    EXPECT_EQ(FloatToStr(3.25), "3,25");
    EXPECT_EQ(CurrToStr(StrToCurr("3,25")), "3,25");
    SetFormatSettings(Dot());
    EXPECT_EQ(StrToFloat("3.25"), 3.25);
    SetFormatSettings(saved);
}

TEST(Conversions, CurrencyReadsExactlyAndRoundsHalfToEven)
{
    TFormatSettings comma = Comma();
    EXPECT_EQ(StrToCurr("1,23456", comma).Scaled, 12346);
    EXPECT_EQ(StrToCurr("12", comma).Scaled, 120000);
    EXPECT_EQ(StrToCurr(" -0,0001 ", comma).Scaled, -1);
    // Ties go to the even last place, in both signs; any digit beyond breaks the tie.
    EXPECT_EQ(StrToCurr("0,00005", comma).Scaled, 0);
    EXPECT_EQ(StrToCurr("0,00015", comma).Scaled, 2);
    EXPECT_EQ(StrToCurr("0,00025", comma).Scaled, 2);
    EXPECT_EQ(StrToCurr("-0,00025", comma).Scaled, -2);
    EXPECT_EQ(StrToCurr("-0,00035", comma).Scaled, -4);
    EXPECT_EQ(StrToCurr("0,000250000000000000000001", comma).Scaled, 3);
    EXPECT_EQ(StrToCurr("0,00004999999", comma).Scaled, 0);
    EXPECT_EQ(StrToCurr("0,000005", comma).Scaled, 0);
    // 1.00005 is not exact as a double; the text is.
    EXPECT_EQ(StrToCurr("1,00005", comma).Scaled, 10000);
    EXPECT_EQ(StrToCurr("1,00015", comma).Scaled, 10002);
    EXPECT_EQ(StrToCurr("1,5E3", comma).Scaled, 15000000);
    EXPECT_EQ(StrToCurr("125e-5", comma).Scaled, 12);
    EXPECT_EQ(StrToCurr("0e999999", comma).Scaled, 0);
    EXPECT_EQ(StrToCurr("1e-99999999999", comma).Scaled, 0);

    EXPECT_EQ(StrToCurr("922337203685477,5807", comma).Scaled, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToCurr("-922337203685477,5808", comma).Scaled, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToCurr("922337203685477,58074", comma).Scaled, std::numeric_limits<std::int64_t>::max());
    for (const char* bad : {"922337203685477,5808", "922337203685477,58075", "-922337203685477,5809", "1e15",
                            "99999999999999999999", "1e999999999999", "", " ", "1,2,3", "12a", "--1", "1.5", "$1"})
        EXPECT_THROW(StrToCurr(bad, comma), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { StrToCurr("x", comma); }), "'x' não é um valor de ponto flutuante válido");
}

TEST(Conversions, CurrencyWritesWithoutTrailingZeros)
{
    TFormatSettings comma = Comma();
    EXPECT_EQ(CurrToStr(Currency::FromScaled(120000), comma), "12");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(12346), comma), "1,2346");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(-1), comma), "-0,0001");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(15000), Dot()), "1.5");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(10), Dot()), "0.001");
    EXPECT_EQ(CurrToStr(Currency{}, Dot()), "0");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(std::numeric_limits<std::int64_t>::min()), comma), "-922337203685477,5808");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(std::numeric_limits<std::int64_t>::max()), comma), "922337203685477,5807");

    std::mt19937_64 random(99);
    for (const TFormatSettings& fs : {comma, Dot()}) {
        for (int i = 0; i < 5000; ++i) {
            auto scaled = static_cast<std::int64_t>(random());
            if (i % 3 == 0) scaled %= 1000000;
            ASSERT_EQ(StrToCurr(CurrToStr(Currency::FromScaled(scaled), fs), fs).Scaled, scaled);
        }
    }
}
