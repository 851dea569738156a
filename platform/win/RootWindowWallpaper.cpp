#include "platform/win/WallpaperBackends.h"
#include "platform/win/WinError.h"

namespace velvane {

bool RootWindowWallpaper::Set(const String& path)
{
    const DWORD result = calls_.SetRootPicture(display_, path);
    SetLastError(result);
    return result == ERROR_SUCCESS;
}

} // namespace velvane
