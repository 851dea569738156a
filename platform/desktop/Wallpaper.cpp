#include "platform/desktop/Wallpaper.h"

#include "platform/desktop/WallpaperCopies.h"
#include "platform/desktop/WallpaperPicture.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/LastError.h"

#include <filesystem>

namespace velvane {

bool SetDesktopWallpaper(const String& picturePath, const DesktopEnvironment& env, DesktopCalls& calls)
{
    if (picturePath.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!FileExists(picturePath)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    const auto backend = ChooseWallpaperBackend(env, calls);
    if (!backend) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    // Desktops resolve nothing against our working folder.
    std::error_code ec;
    const String absolute = std::filesystem::absolute(picturePath, ec).lexically_normal().string();
    if (backend->TakesPixels()) {
        // Such a desktop keeps no path, so it needs no copy under a fresh
        // name, and the picture the program still holds spares reading it.
        const QImage picture = ReadWallpaperPicture(absolute);
        if (picture.isNull() || !backend->SetPixels(picture)) return false;
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    const String copy = MakeWallpaperCopy(absolute);
    if (copy.empty()) return false;
    if (!backend->Set(copy)) {
        const std::uint32_t error = GetLastError();
        DeleteFile(copy);
        SetLastError(error);
        return false;
    }
    RemoveOtherWallpaperCopies(absolute, copy);
    SetLastError(ERROR_SUCCESS);
    return true;
}

} // namespace velvane
