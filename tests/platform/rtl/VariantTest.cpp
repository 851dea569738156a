#include "platform/rtl/Variant.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <limits>

using namespace velvane;

namespace {

// Pins a comma locale for the variant's text conversions.
class VariantTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = FormatSettings();
        TFormatSettings fs;
        fs.DecimalSeparator = ',';
        fs.ShortDateFormat = "dd/mm/yyyy";
        fs.LongTimeFormat = "hh:nn:ss";
        SetFormatSettings(fs);
    }
    void TearDown() override { SetFormatSettings(saved_); }

    static String Failure(void (*f)())
    {
        try {
            f();
        } catch (const EVariantError& e) {
            return e.Message();
        }
        return "no error";
    }

private:
    TFormatSettings saved_;
};

} // namespace

TEST_F(VariantTest, EmptyConvertsToZeroes)
{
    Variant v;
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.VarType(), TVarType::varEmpty);
    EXPECT_EQ(v.AsString(), "");
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_FALSE(v.AsBoolean());
    EXPECT_EQ(v.AsCurrency(), Currency{});
    EXPECT_EQ(v.AsDateTime(), 0.0);
    EXPECT_EQ(v.AsDouble(), 0.0);
}

TEST_F(VariantTest, KindsAndEquality)
{
    EXPECT_EQ(Variant("x").VarType(), TVarType::varString);
    EXPECT_EQ(Variant(String("x")).VarType(), TVarType::varString);
    EXPECT_EQ(Variant(5).VarType(), TVarType::varInteger);
    EXPECT_EQ(Variant(true).VarType(), TVarType::varBoolean);
    EXPECT_EQ(Variant(Currency::FromScaled(1)).VarType(), TVarType::varCurrency);
    EXPECT_EQ(Variant::FromDateTime(1.5).VarType(), TVarType::varDate);
    EXPECT_EQ(Variant(1.5).VarType(), TVarType::varDouble);
    // Equal: the same kind and value, however made; any other pair differs.
    EXPECT_EQ(Variant("x"), Variant(String("x")));
    EXPECT_EQ(Variant(Variant(" 7").AsInteger()), Variant(7));
    const std::pair<Variant, Variant> different[] = {
        {Variant(1.5), Variant(2.5)},  {Variant("x"), Variant("X")},  {Variant(5), Variant(6)},
        {Variant(true), Variant(false)}, {Variant(1.5), Variant::FromDateTime(1.5)}, {Variant(1), Variant(true)},
        {Variant(Currency::FromScaled(1)), Variant(Currency::FromScaled(2))}, {Variant(), Variant("")},
    };
    for (const auto& [a, b] : different) EXPECT_NE(a, b) << a.AsString() << " / " << b.AsString();
}

TEST_F(VariantTest, ConvertsToText)
{
    EXPECT_EQ(Variant(-42).AsString(), "-42");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(Currency::FromScaled(12346)).AsString(), "1,2346");
    EXPECT_EQ(Variant(2.5).AsString(), "2,5");
    EXPECT_EQ(Variant(1e20).AsString(), "1E20");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 6, 11) + 0.5).AsString(), "11/06/2024 12:00:00");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 6, 11)).AsString(), "11/06/2024");
    EXPECT_EQ(Variant("as is ").AsString(), "as is ");
}

TEST_F(VariantTest, ConvertsToInteger)
{
    EXPECT_EQ(Variant(" 17 ").AsInteger(), 17);
    EXPECT_EQ(Variant("$10").AsInteger(), 16);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(false).AsInteger(), 0);
    // Ties to even, in both signs.
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
    EXPECT_EQ(Variant(2.5000001).AsInteger(), 3);
    EXPECT_EQ(Variant(Currency::FromScaled(25000)).AsInteger(), 2);
    EXPECT_EQ(Variant(Currency::FromScaled(35000)).AsInteger(), 4);
    EXPECT_EQ(Variant(Currency::FromScaled(-25000)).AsInteger(), -2);
    EXPECT_EQ(Variant(Currency::FromScaled(-25001)).AsInteger(), -3);
    EXPECT_EQ(Variant(Currency::FromScaled(24999)).AsInteger(), 2);
    EXPECT_EQ(Variant::FromDateTime(45000.5).AsInteger(), 45000);
    EXPECT_EQ(Variant(2147483647.4).AsInteger(), 2147483647);
    EXPECT_EQ(Variant(-2147483648.5).AsInteger(), std::numeric_limits<int>::min());

    for (const Variant& bad : {Variant("1,5"), Variant("abc"), Variant(""), Variant("2147483648"), Variant(2147483647.5),
                               Variant(-2147483649.0), Variant(1e300), Variant(std::numeric_limits<double>::quiet_NaN()),
                               Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::min())),
                               Variant::FromDateTime(3e9)})
        EXPECT_THROW(bad.AsInteger(), EVariantError) << bad.AsString();
    EXPECT_EQ(Failure([] { Variant("x").AsInteger(); }), "Não foi possível converter um variant do tipo (String) para o tipo (Integer)");
    EXPECT_EQ(Failure([] { Variant(1e10).AsInteger(); }), "Não foi possível converter um variant do tipo (Double) para o tipo (Integer)");
}

TEST_F(VariantTest, ConvertsToBoolean)
{
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant("fAlSe").AsBoolean());
    EXPECT_TRUE(Variant("-1").AsBoolean());
    EXPECT_TRUE(Variant("0,5").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_TRUE(Variant(7).AsBoolean());
    EXPECT_FALSE(Variant(0).AsBoolean());
    EXPECT_TRUE(Variant(0.1).AsBoolean());
    EXPECT_TRUE(Variant(Currency::FromScaled(1)).AsBoolean());
    EXPECT_FALSE(Variant(Currency{}).AsBoolean());
    EXPECT_FALSE(Variant::FromDateTime(0).AsBoolean());
    for (const char* bad : {"yes", "", "Truth", "1.5"})
        EXPECT_THROW(Variant(bad).AsBoolean(), EVariantError) << bad;
    EXPECT_EQ(Failure([] { Variant("yes").AsBoolean(); }), "Não foi possível converter um variant do tipo (String) para o tipo (Boolean)");
}

TEST_F(VariantTest, ConvertsToNumbersAndDates)
{
    EXPECT_EQ(Variant("1,23456").AsCurrency().Scaled, 12346);
    EXPECT_EQ(Variant(3).AsCurrency().Scaled, 30000);
    EXPECT_EQ(Variant(true).AsCurrency().Scaled, -10000);
    EXPECT_EQ(Variant(1.00015).AsCurrency().Scaled, 10002);
    EXPECT_EQ(Variant(-0.00005).AsCurrency().Scaled, 0);
    EXPECT_EQ(Variant(std::numeric_limits<int>::min()).AsCurrency().Scaled, -21474836480000LL);
    EXPECT_THROW(Variant(1e15).AsCurrency(), EVariantError);
    EXPECT_THROW(Variant(std::numeric_limits<double>::infinity()).AsCurrency(), EVariantError);
    EXPECT_THROW(Variant("1.5").AsCurrency(), EVariantError);

    EXPECT_EQ(Variant("2,5").AsDouble(), 2.5);
    EXPECT_EQ(Variant(Currency::FromScaled(-12500)).AsDouble(), -1.25);
    EXPECT_EQ(Variant(true).AsDouble(), -1.0);
    EXPECT_EQ(Variant(9).AsDouble(), 9.0);
    EXPECT_EQ(Variant::FromDateTime(-1.25).AsDouble(), -1.25);
    EXPECT_THROW(Variant("2.5").AsDouble(), EVariantError);
    EXPECT_EQ(Failure([] { Variant("x").AsDouble(); }), "Não foi possível converter um variant do tipo (String) para o tipo (Double)");

    TDateTime when = EncodeDate(2024, 6, 11) + EncodeTime(10, 30, 0, 0);
    EXPECT_EQ(Variant("11/06/2024 10:30:00").AsDateTime(), when);
    EXPECT_EQ(Variant(Variant::FromDateTime(when).AsString()).AsDateTime(), when);
    EXPECT_EQ(Variant(2).AsDateTime(), 2.0);
    EXPECT_EQ(Variant(1.75).AsDateTime(), 1.75);
    EXPECT_THROW(Variant("31/02/2024").AsDateTime(), EVariantError);
    EXPECT_EQ(Failure([] { Variant("x").AsDateTime(); }), "Não foi possível converter um variant do tipo (String) para o tipo (Date)");
}
