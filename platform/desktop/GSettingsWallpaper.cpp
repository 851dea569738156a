#include "platform/desktop/WallpaperBackends.h"
#include "platform/desktop/WallpaperText.h"
#include "platform/rtl/LastError.h"

namespace velvane {

bool GSettingsWallpaper::Set(const String& path)
{
    if (!calls_.HasGSettingKey(keys_.schema, keys_.key)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    const bool second = !keys_.optionalKey.empty() && calls_.HasGSettingKey(keys_.schema, keys_.optionalKey);
    const String value = keys_.asUri ? FileUri(path) : path;
    if (!calls_.SetGSetting(keys_.schema, keys_.key, value) ||
        (second && !calls_.SetGSetting(keys_.schema, keys_.optionalKey, value))) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    return true;
}

} // namespace velvane
