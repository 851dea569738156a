// Dates and times as text of any bytes, in two locales' formats: a convert
// error or a value, and a value written in the same format reads back to it.

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstdint>

using namespace velvane;

namespace {

TFormatSettings Brazil()
{
    TFormatSettings s;
    s.DateSeparator = '/';
    s.ShortDateFormat = "dd/mm/yyyy";
    s.LongTimeFormat = "hh:nn:ss";
    return s;
}

template <typename Parse, typename Write>
void Check(const String& text, const TFormatSettings& settings, Parse parse, Write write)
{
    TDateTime value;
    try {
        value = parse(text, settings);
    } catch (const EConvertError&) {
        return;
    }
    FUZZ_CHECK(std::isfinite(value));
    const String written = write(value, settings);
    const TDateTime again = parse(written, settings);
    // Written to the second.
    FUZZ_CHECK(std::fabs(again - value) < 1.0 / 86400);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const String text(reinterpret_cast<const char*>(data), size);
    for (const TFormatSettings& settings : {TFormatSettings(), Brazil()}) {
        Check(text, settings, [](const String& t, const TFormatSettings& s) { return StrToDate(t, s); },
              [](TDateTime v, const TFormatSettings& s) { return DateToStr(v, s); });
        Check(text, settings, [](const String& t, const TFormatSettings& s) { return StrToTime(t, s); },
              [](TDateTime v, const TFormatSettings& s) { return TimeToStr(v, s); });
        Check(text, settings, [](const String& t, const TFormatSettings& s) { return StrToDateTime(t, s); },
              [](TDateTime v, const TFormatSettings& s) { return DateTimeToStr(v, s); });
    }
    return 0;
}
