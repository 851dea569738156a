#include "settings/SettingsFile.h"

#include "platform/rtl/AsciiText.h"
#include "platform/rtl/LegacyText.h"

#include <cstring>

namespace velvane {

void SetSettingsText(TStrings& lines, std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    lines.SetText(LegacyTextToUtf8(bytes));
}

void TakeSettingsKeys(const TStrings& lines, const std::vector<TSettingsKey>& keys)
{
    for (int i = 0; i < lines.Count(); ++i) {
        String line = lines[i];
        for (const TSettingsKey& key : keys) {
            if (line.find(key.Key) == String::npos) continue;
            line.erase(0, std::min(line.size(), std::strlen(key.Key)));
            *key.Value = line;
            if (key.Matched) *key.Matched = true;
        }
    }
}

bool IsGenuineSettingsFile(const TStrings& lines)
{
    return lines.Count() > 0 && lines[0].find("Velvane") != String::npos;
}

} // namespace velvane

namespace velvane {

namespace {

bool StartsWithAny(const String& address, std::initializer_list<std::string_view> prefixes)
{
    const std::string_view text = TrimBlanks(address);
    for (std::string_view prefix : prefixes)
        if (StartsWithAscii(text, prefix)) return true;
    return false;
}

} // namespace

bool IsWebPageAddress(const String& address) { return StartsWithAny(address, {"http://", "https://", "www."}); }

bool IsOpenableAddress(const String& address)
{
    return StartsWithAny(address, {"http://", "https://", "www.", "mailto:"});
}

} // namespace velvane
