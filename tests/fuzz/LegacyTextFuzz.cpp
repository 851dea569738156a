// Downloaded settings files of any bytes, decoded as UTF-8 or Windows-1252:
// the text is always valid UTF-8, UTF-8 comes through unchanged, and each
// byte of anything else becomes exactly one character.

#include "platform/rtl/LegacyText.h"
#include "platform/rtl/Strings.h"
#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>

using namespace velvane;

namespace {

std::size_t Characters(const String& utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const String text = LegacyTextToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(text));
    if (IsValidUtf8(bytes))
        FUZZ_CHECK(text == bytes);
    else
        FUZZ_CHECK(Characters(text) == size);
    FUZZ_CHECK(LegacyTextToUtf8(text) == text);

    TStringList lines;
    SetSettingsText(lines, bytes);
    for (int i = 0; i < lines.Count(); ++i) {
        FUZZ_CHECK(IsValidUtf8(lines[i]));
        FUZZ_CHECK(lines[i].find_first_of("\r\n") == String::npos);
    }
    return 0;
}
