#pragma once
// The user's locale as the text conversions see it: decimal separator, the
// short date format and the long time format.
//
// Date and time formats use these tokens: d dd (day), m mm (month), yy yyyy
// (year), h hh (hour), n nn (minute), s ss (second), AMPM (12-hour clock with
// the AM and PM texts); any other character is copied as it stands.

#include "platform/rtl/Types.h"

class QLocale;

namespace velvane {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    String ShortDateFormat = "m/d/yyyy";
    String LongTimeFormat = "h:nn:ss AMPM";
    String TimeAMString = "AM";
    String TimePMString = "PM";

    // Derived from a Qt locale. Years are always written with four digits so
    // that every date written reads back as the same date.
    static TFormatSettings FromLocale(const QLocale& locale);
};

// The settings in force; taken from the user's locale on first use.
const TFormatSettings& FormatSettings();
// Replaces the settings in force (tests pin a locale with it).
void SetFormatSettings(const TFormatSettings& settings);

} // namespace velvane
