#include "platform/desktop/WallpaperBackends.h"
#include "platform/desktop/WallpaperPicture.h"
#include "platform/rtl/LastError.h"

namespace velvane {

bool WallpaperBackend::SetPixels(const QImage&)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}

bool RootWindowWallpaper::Set(const String& path)
{
    const QImage picture = ReadWallpaperPicture(path);
    return !picture.isNull() && SetPixels(picture);
}

bool RootWindowWallpaper::SetPixels(const QImage& picture)
{
    const std::uint32_t result = calls_.SetRootPicture(display_, picture);
    SetLastError(result);
    return result == ERROR_SUCCESS;
}

} // namespace velvane
