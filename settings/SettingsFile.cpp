#include "settings/SettingsFile.h"

#include <cstring>

namespace velvane {

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
