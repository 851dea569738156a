#include "settings/HttpResultTexts.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(SettingsFile, KeysAreFoundAnywhereAndLaterLinesWin)
{
    String host, home, banner, themes;
    bool themesFound = false;
    TStringList lines = {
        "Velvane 2.0 settings",
        "host=www.first.example",
        "host=www.velvane.example",  // later lines win
        "xhomeurl=http://home.example",  // one extra character: "=" stays
        "  bannerjpg=http://b.example/b.jpg",
    };
    TakeSettingsKeys(lines, {{"host=", &host}, {"homeurl=", &home}, {"bannerjpg=", &banner},
                             {"themesurl=", &themes, &themesFound}});
    EXPECT_EQ(host, "www.velvane.example");
    EXPECT_EQ(home, "=http://home.example");
    EXPECT_EQ(banner, "g=http://b.example/b.jpg");  // cut by the key's length from the start
    EXPECT_FALSE(themesFound);
    EXPECT_EQ(themes, "");

    // A match shortens the line before the next key is tried on it.
    String a, b;
    TakeSettingsKeys(TStringList{"a=b=value"}, {{"a=", &a}, {"b=", &b}});
    EXPECT_EQ(a, "b=value");
    EXPECT_EQ(b, "value");
}

TEST(SettingsFile, OnlyAFileThatNamesTheProductIsGenuine)
{
    EXPECT_TRUE(IsGenuineSettingsFile(TStringList{"# Velvane settings", "host=x"}));
    EXPECT_FALSE(IsGenuineSettingsFile(TStringList{"", "Velvane"}));
    EXPECT_FALSE(IsGenuineSettingsFile(TStringList{"<html>", "Velvane"}));
    EXPECT_FALSE(IsGenuineSettingsFile(TStringList{}));
}

TEST(HttpResultTexts, EachProgramHasItsOwnLineOrNone)
{
    EXPECT_EQ(EditorResultLine(200), 71);
    EXPECT_EQ(AgentResultLine(200), -1);
    EXPECT_EQ(EditorResultLine(404), 31);
    EXPECT_EQ(AgentResultLine(404), 24);
    EXPECT_EQ(EditorResultLine(505), 43);
    EXPECT_EQ(AgentResultLine(505), 36);
    for (int code : {403, 0, -1, 302 + 1, 600}) {
        EXPECT_EQ(EditorResultLine(code), -1) << code;
        EXPECT_EQ(AgentResultLine(code), -1) << code;
    }
}
