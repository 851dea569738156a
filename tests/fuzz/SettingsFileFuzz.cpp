// The server's settings file of any bytes, read as the editor reads a
// download: lines, the genuine-file test, the keys and the themes list.

#include "platform/rtl/Strings.h"
#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TStringList lines;
    lines.SetText(String(reinterpret_cast<const char*>(data), size));
    // The lines as text cut into the same lines again.
    TStringList again;
    again.SetText(lines.Text());
    FUZZ_CHECK(again.Count() == lines.Count());
    for (int i = 0; i < lines.Count(); ++i) FUZZ_CHECK(again[i] == lines[i]);

    (void)IsGenuineSettingsFile(lines);
    String host, banner, home, mail, themes;
    bool themesFound = false;
    TakeSettingsKeys(lines, {{"host=", &host},
                             {"bannerurl=", &banner},
                             {"homeurl=", &home},
                             {"mailto=", &mail},
                             {"themesurl=", &themes, &themesFound}});
    // A value is what is left of one line.
    for (const String* value : {&host, &banner, &home, &mail, &themes})
        FUZZ_CHECK(value->find_first_of("\r\n") == String::npos);
    TStringList themeList;
    themeList.SetText(themes);
    FUZZ_CHECK(themeList.Count() <= 1);
    return 0;
}
