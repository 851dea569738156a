#pragma once
// SystemParametersInfoA, for the one action the programs use: setting the
// desktop wallpaper.

#include "platform/win/WinTypes.h"

namespace velvane {

constexpr UINT SPI_SETDESKWALLPAPER = 20;
constexpr UINT SPIF_UPDATEINIFILE = 1;
constexpr UINT SPIF_SENDWININICHANGE = 2;

// For SPI_SETDESKWALLPAPER pvParam is the const char* path of a BMP file.
// Other actions fail with ERROR_INVALID_PARAMETER. Failure returns FALSE
// with the last error set.
BOOL SystemParametersInfoA(UINT action, UINT param, void* pvParam, UINT winIni);

class DesktopCalls;
// Replaces the calls the desktop backends make (not owned); nullptr returns
// to the real ones. Tests record with it what a wallpaper change would do.
void SetDesktopCalls(DesktopCalls* calls);

} // namespace velvane
