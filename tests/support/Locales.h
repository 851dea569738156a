#pragma once
// Text-conversion settings of a few locales, pinned so that tests do not
// depend on the machine's locale, and a guard that puts the settings in force
// for a scope.

#include "platform/rtl/FormatSettings.h"

namespace velvane::test {

// ',' decimals, "dd/mm/yyyy", 24-hour "hh:nn:ss".
inline TFormatSettings Brazil()
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.DateSeparator = '/';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongTimeFormat = "hh:nn:ss";
    return fs;
}

// '.' decimals, "m/d/yyyy", 12-hour "h:nn:ss AMPM" (the defaults).
inline TFormatSettings UnitedStates() { return TFormatSettings{}; }

// ',' decimals, "dd.mm.yyyy", 24-hour.
inline TFormatSettings Germany()
{
    TFormatSettings fs = Brazil();
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd.mm.yyyy";
    return fs;
}

class ScopedFormatSettings {
public:
    explicit ScopedFormatSettings(const TFormatSettings& settings) : saved_(FormatSettings())
    {
        SetFormatSettings(settings);
    }
    ~ScopedFormatSettings() { SetFormatSettings(saved_); }
    ScopedFormatSettings(const ScopedFormatSettings&) = delete;
    ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

private:
    TFormatSettings saved_;
};

} // namespace velvane::test
