#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace velvane;

namespace {

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = FormatSettings();
        SetFormatSettings(TFormatSettings{});  // '.' and ','
    }
    void TearDown() override { SetFormatSettings(saved_); }

private:
    TFormatSettings saved_;
};

// The message when Format rejects its input, or "ok".
String Rejection(const String& format, std::initializer_list<FormatArg> args)
{
    try {
        Format(format, args);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "ok";
}

} // namespace

TEST_F(FormatTest, IntegersAndText)
{
    EXPECT_EQ(Format("plain", {}), "plain");
    EXPECT_EQ(Format("", {}), "");
    EXPECT_EQ(Format("100%% [%d]", {42}), "100% [42]");
    EXPECT_EQ(Format("[%5d][%-5d][%1d]", {42, 42, 42}), "[   42][42   ][42]");
    EXPECT_EQ(Format("[%.3d][%6.3d][%.3d]", {-5, 7, 12345}), "[-005][   007][12345]");
    EXPECT_EQ(Format("%d", {std::numeric_limits<std::int64_t>::min()}), "-9223372036854775808");
    EXPECT_EQ(Format("%d %u", {0, 0u}), "0 0");

    // Negative numbers that fit 32 bits print as their 32-bit pattern.
    EXPECT_EQ(Format("%u", {-1}), "4294967295");
    EXPECT_EQ(Format("%u", {std::int64_t{-5000000000}}), "18446744068709551616");
    EXPECT_EQ(Format("%u %d", {~0ull, ~0ull}), "18446744073709551615 18446744073709551615");
    EXPECT_EQ(Format("%x %x %.4x %X", {255, -1, 10, 0xABCDEFu}), "FF FFFFFFFF 000A ABCDEF");

    EXPECT_EQ(Format("[%s][%6s][%-6s][%.2s]", {"abc", "abc", "abc", "abc"}), "[abc][   abc][abc   ][ab]");
    EXPECT_EQ(Format("%s", {String("nul\0in", 6)}), String("nul\0in", 6));
    // Widths and cuts count characters, not bytes.
    EXPECT_EQ(Format("[%.2s][%4s]", {"\xC3\xA9t\xC3\xA9", "\xC3\xA9"}), "[\xC3\xA9t][   \xC3\xA9]");
}

TEST_F(FormatTest, IndexAndStar)
{
    EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
    // An index moves the pointer; the next plain directive follows it.
    EXPECT_EQ(Format("%1:s %s %0:s %s", {"a", "b", "c"}), "b c a b");
    EXPECT_EQ(Format("[%*d][%-*d][%.*d]", {4, 7, 3, 7, 2, 7}), "[   7][7  ][07]");
    EXPECT_EQ(Format("[%*d]", {-4, 7}), "[7   ]");
    EXPECT_EQ(Format("[%*.*f]", {8, 3, 3.14159}), "[   3.142]");
    EXPECT_EQ(Format("[%.*s]", {-1, "all"}), "[all]");
    EXPECT_EQ(Format("[%0:-4s]", {"ab"}), "[ab  ]");
    EXPECT_EQ(Format("%*:s", {1, "x"}), "x");
}

TEST_F(FormatTest, FloatingPoint)
{
    EXPECT_EQ(Format("%e", {1500.0}), "1.50000000000000E+003");
    EXPECT_EQ(Format("%.3e", {1500.0}), "1.50E+003");
    EXPECT_EQ(Format("%.2e", {-0.000123}), "-1.2E-004");
    EXPECT_EQ(Format("%.1e", {0.0}), "0E+000");
    EXPECT_EQ(Format("%.3e", {9.9999}), "1.00E+001");
    EXPECT_EQ(Format("%.3e", {1e300}), "1.00E+300");

    EXPECT_EQ(Format("%f|%.0f|%.4f", {3.14159, 7.0, 2.0}), "3.14|7|2.0000");
    EXPECT_EQ(Format("%.3f", {-0.0004}), "0.000");
    EXPECT_EQ(Format("%.2f", {-1.005e3}), "-1005.00");
    EXPECT_EQ(Format("%8.2f|%-8.2f|", {1.5, 1.5}), "    1.50|1.50    |");

    EXPECT_EQ(Format("%g", {0.1}), "0.1");
    EXPECT_EQ(Format("%g", {1.0 / 3}), "0.333333333333333");
    EXPECT_EQ(Format("%g", {100.0}), "100");
    EXPECT_EQ(Format("%g", {-2.5}), "-2.5");
    EXPECT_EQ(Format("%g", {0.0}), "0");
    EXPECT_EQ(Format("%g", {0.00001}), "0.00001");
    EXPECT_EQ(Format("%g", {0.000009}), "9E-6");
    EXPECT_EQ(Format("%g", {0.0001234}), "0.0001234");
    EXPECT_EQ(Format("%g", {1.5e-7}), "1.5E-7");
    EXPECT_EQ(Format("%g", {1e20}), "1E20");
    EXPECT_EQ(Format("%g", {123456789012345.0}), "123456789012345");
    EXPECT_EQ(Format("%g", {1234567890123456.0}), "1.23456789012346E15");
    EXPECT_EQ(Format("%.3g", {1234.0}), "1.23E3");

    EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
    EXPECT_EQ(Format("%.0n|%n|%n", {999.0, 1000.0, -123456.0}), "999|1,000.00|-123,456.00");

    EXPECT_EQ(Format("%f %e %g", {std::nan(""), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()}),
              "NAN INF -INF");
    EXPECT_EQ(Format("%.2f", {1e300}).size(), 304u);

    TFormatSettings german;
    german.DecimalSeparator = ',';
    german.ThousandSeparator = '.';
    SetFormatSettings(german);
    EXPECT_EQ(Format("%n|%f|%.3e|%g", {1234567.891, 0.5, 1500.0, 0.25}), "1.234.567,89|0,50|1,50E+003|0,25");
}

TEST_F(FormatTest, BadInputIsRejected)
{
    EXPECT_EQ(Rejection("%d", {}), "O formato '%d' é inválido ou incompatível com o argumento");
    EXPECT_EQ(Rejection("%d %d", {1}), "O formato '%d %d' é inválido ou incompatível com o argumento");
    for (const char* format : {"%d", "%u", "%x"}) {
        EXPECT_NE(Rejection(format, {1.5}), "ok") << format;
        EXPECT_NE(Rejection(format, {"1"}), "ok") << format;
    }
    for (const char* format : {"%e", "%f", "%g", "%n"}) {
        EXPECT_NE(Rejection(format, {1}), "ok") << format;
        EXPECT_NE(Rejection(format, {"1"}), "ok") << format;
    }
    EXPECT_NE(Rejection("%s", {1}), "ok");
    EXPECT_NE(Rejection("%y", {1}), "ok");
    EXPECT_NE(Rejection("%", {1}), "ok");
    EXPECT_NE(Rejection("abc%5", {1}), "ok");
    EXPECT_NE(Rejection("%-", {1}), "ok");
    EXPECT_NE(Rejection("%2:d", {1, 2}), "ok");
    EXPECT_NE(Rejection("%*d", {1.0, 2}), "ok");
    EXPECT_NE(Rejection("%*d", {5}), "ok");

    // Absurd widths are a broken format, not a request for memory.
    EXPECT_NE(Rejection("%1000001d", {1}), "ok");
    EXPECT_NE(Rejection("%99999999999999999999d", {1}), "ok");
    EXPECT_NE(Rejection("%.1000001d", {1}), "ok");
    EXPECT_NE(Rejection("%*d", {2000000000, 1}), "ok");
    EXPECT_NE(Rejection("%*d", {std::numeric_limits<std::int64_t>::min(), 1}), "ok");
    EXPECT_NE(Rejection("%4294967297:d", {1}), "ok");
    EXPECT_EQ(Format("%1000000d", {1}).size(), 1000000u);
}
