#include "platform/rtl/FormatSettings.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace velvane;

TEST(FormatSettings, FollowsTheLocaleWithFourDigitYears)
{
    TFormatSettings br = TFormatSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(br.DecimalSeparator, ',');
    EXPECT_EQ(br.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(br.DateSeparator, '/');
    EXPECT_EQ(br.LongTimeFormat, "hh:nn:ss");

    TFormatSettings us = TFormatSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.DecimalSeparator, '.');
    EXPECT_EQ(us.ShortDateFormat, "m/d/yyyy");
    EXPECT_EQ(us.LongTimeFormat, "h:nn:ss AMPM");

    TFormatSettings de = TFormatSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.DecimalSeparator, ',');
    EXPECT_EQ(de.ShortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(de.DateSeparator, '.');

    TFormatSettings c = TFormatSettings::FromLocale(QLocale::c());
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_NE(c.ShortDateFormat.find("yyyy"), std::string::npos);
}
