#include "platform/rtl/LegacyText.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(LegacyText, ValidUtf8StaysByteForByte)
{
    for (const char* text : {"", "plain", "Computação gráfica", "€ \xF0\x9F\x98\x80", "a\0b"}) {
        EXPECT_TRUE(IsValidUtf8(text)) << text;
        EXPECT_EQ(LegacyTextToUtf8(text), text);
    }
}

TEST(LegacyText, AnythingElseIsReadAsTheWindowsCodePage)
{
    EXPECT_EQ(LegacyTextToUtf8("Computa\xE7\xE3o gr\xE1""fica"), "Computação gráfica");
    EXPECT_EQ(LegacyTextToUtf8("\x80 \x93x\x94 \x9F \x81"), "€ “x” Ÿ \xC2\x81");
    // Broken, cut, overlong and surrogate sequences are no UTF-8.
    for (const char* bytes : {"S\xE3o", "a\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                              "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(IsValidUtf8(bytes)) << bytes;
        EXPECT_TRUE(IsValidUtf8(LegacyTextToUtf8(bytes))) << bytes;
    }
    EXPECT_EQ(LegacyTextToUtf8("S\xE3o"), "São");
}
