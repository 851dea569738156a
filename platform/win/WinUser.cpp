#include "platform/win/WinUser.h"

#include "platform/desktop/Wallpaper.h"
#include "platform/win/WinError.h"

#include <atomic>

namespace velvane {

namespace {
std::atomic<DesktopCalls*> installedCalls{nullptr};
}

void SetDesktopCalls(DesktopCalls* calls) { installedCalls = calls; }

BOOL SystemParametersInfoA(UINT action, UINT /*param*/, void* pvParam, UINT /*winIni*/)
{
    // Desktops keep the wallpaper themselves, so the ini flags need nothing more.
    if (action != SPI_SETDESKWALLPAPER || !pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DesktopCalls* calls = installedCalls.load();
    return SetDesktopWallpaper(static_cast<const char*>(pvParam), DesktopEnvironment::FromProcess(),
                               calls ? *calls : SystemDesktopCalls())
               ? TRUE
               : FALSE;
}

} // namespace velvane
