#include "dialogs/NumEdit.h"
#include "platform/win/MessageBeep.h"
#include "tests/dialogs/KeyTyping.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <memory>
#include <vector>

using namespace velvane;
using velvane::test::Press;
using velvane::test::Type;

namespace {

class IntEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        SetMessageBeepHook([this](UINT type) { beeps.push_back(type); });
        owned = std::make_unique<TIntEdit>();
        owned->clear();
    }
    void TearDown() override { SetMessageBeepHook({}); }

    std::vector<UINT> beeps;
    std::unique_ptr<TIntEdit> owned;
    TIntEdit& edit() { return *owned; }
};

} // namespace

TEST_F(IntEditTest, StartsAtZeroAndThirtyThreeWide)
{
    TIntEdit fresh;
    EXPECT_EQ(fresh.Text(), "0");
    EXPECT_EQ(fresh.width(), 33);
    EXPECT_EQ(fresh.Value(), 0);
}

TEST_F(IntEditTest, DigitsAndSignsAreTyped)
{
    Type(&edit(), "-12+3");
    EXPECT_EQ(edit().Text(), "-12+3");
    EXPECT_TRUE(beeps.empty());
}

TEST_F(IntEditTest, BackspaceAndEnterPassWithoutBeep)
{
    Type(&edit(), "123");
    Press(&edit(), Qt::Key_Backspace, "\b");
    EXPECT_EQ(edit().Text(), "12");
    Press(&edit(), Qt::Key_Return, "\r");
    EXPECT_EQ(edit().Text(), "12");
    EXPECT_TRUE(beeps.empty());
}

TEST_F(IntEditTest, EditingKeysThatTypeNothingStillWork)
{
    Type(&edit(), "123");
    Press(&edit(), Qt::Key_Home);
    Press(&edit(), Qt::Key_Delete);
    EXPECT_EQ(edit().Text(), "23");
    EXPECT_TRUE(beeps.empty());
}

TEST_F(IntEditTest, OtherCharactersAreSwallowedWithAWarningBeep)
{
    Type(&edit(), "8a0. x,");
    Press(&edit(), Qt::Key_Eacute, QStringLiteral("é"));
    EXPECT_EQ(edit().Text(), "80");
    EXPECT_EQ(beeps, std::vector<UINT>(6, MB_ICONEXCLAMATION));
}

TEST_F(IntEditTest, ControlChordsAreCharactersTooAndAreSwallowed)
{
    QGuiApplication::clipboard()->setText("99");
    Press(&edit(), Qt::Key_V, "\x16", Qt::ControlModifier);
    EXPECT_EQ(edit().Text(), "");
    EXPECT_EQ(beeps.size(), 1u);
}

TEST_F(IntEditTest, PastedTextIsNotFilteredAndReadsAsZero)
{
    QGuiApplication::clipboard()->setText("12abc");
    if (QGuiApplication::clipboard()->text() != "12abc") GTEST_SKIP() << "no clipboard on this platform";
    edit().paste();
    EXPECT_EQ(edit().Text(), "12abc");
    EXPECT_EQ(edit().Value(), 0);
    EXPECT_TRUE(beeps.empty());
}

TEST_F(IntEditTest, ValueReadsWholeNumbersOfThirtyTwoBitsElseZero)
{
    const struct {
        const char* text;
        std::int64_t value;
    } cases[] = {
        {"8080", 8080},          {"-17", -17},         {"+5", 5},   {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN}, {"2147483648", 0}, {"", 0},     {"-", 0},
        {"1+2", 0},              {"99999999999", 0},
    };
    for (const auto& c : cases) {
        edit().SetText(c.text);
        EXPECT_EQ(edit().Value(), c.value) << '"' << c.text << '"';
    }
}

TEST_F(IntEditTest, ValueWritesDecimalText)
{
    edit().SetValue(-42);
    EXPECT_EQ(edit().Text(), "-42");
    // The text takes any 64-bit value; reading it back is limited to 32 bits.
    edit().SetValue(std::int64_t{1} << 40);
    EXPECT_EQ(edit().Text(), "1099511627776");
    EXPECT_EQ(edit().Value(), 0);
}
