// The settings control's INI file of any bytes: values read or give the
// default; a value written reads back as written (or the write is refused)
// and no other value of the file changes.

#include "components/foundation/VELIniCtrl.h"
#include "platform/rtl/AsciiText.h"
#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzScratch.h"

#include <cstdint>
#include <fstream>
#include <vector>

using namespace velvane;

namespace {

const String& File()
{
    static const String file = test::ScratchFolder() + "/fuzz.ini";
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FuzzInput input(data, size);
    // Names to ask for and the value to write, then the file.
    std::vector<std::pair<String, String>> keys;
    for (int i = 0; i < 3; ++i) keys.emplace_back(input.Text(), input.Text());
    const String value = input.Text();
    const String bytes = input.Rest();
    std::ofstream(File(), std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    TVELIniCtrl ini(nullptr);
    ini.SetTarget(TVELIniTarget::itIniFile);
    ini.IniPrefix = TVELPathPrefix::ppFixed;
    ini.SetIniFile(File());
    std::vector<String> was;
    for (const auto& [section, name] : keys) was.push_back(ini.ReadString(section, name, "\x01missing"));
    (void)ini.ReadInteger(keys[0].first, keys[0].second, 7);

    const auto& [section, name] = keys[0];
    try {
        ini.WriteString(section, name, value);
    } catch (const EInvalidOperation&) {
        return 0;
    }
    FUZZ_CHECK(ini.ReadString(section, name, "\x01missing") == TrimBlanks(value));
    for (std::size_t i = 1; i < keys.size(); ++i) {
        // Names are the same without the blanks around them.
        const bool same = SameTextAscii(TrimBlanks(keys[i].first), TrimBlanks(section)) &&
                          SameTextAscii(TrimBlanks(keys[i].second), TrimBlanks(name));
        if (!same) FUZZ_CHECK(ini.ReadString(keys[i].first, keys[i].second, "\x01missing") == was[i]);
    }
    return 0;
}
