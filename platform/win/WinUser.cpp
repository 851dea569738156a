#include "platform/win/WinUser.h"

#include "platform/win/Wallpaper.h"
#include "platform/win/WinError.h"

namespace velvane {

BOOL SystemParametersInfoA(UINT action, UINT /*param*/, void* pvParam, UINT /*winIni*/)
{
    // Desktops keep the wallpaper themselves, so the ini flags need nothing more.
    if (action != SPI_SETDESKWALLPAPER || !pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SetDesktopWallpaper(static_cast<const char*>(pvParam), DesktopEnvironment::FromProcess(),
                               SystemDesktopCalls())
               ? TRUE
               : FALSE;
}

} // namespace velvane
