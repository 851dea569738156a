#pragma once
// Setting the desktop wallpaper on whichever desktop we run under.

#include "platform/desktop/DesktopCalls.h"
#include "platform/desktop/WallpaperChoice.h"
#include "platform/rtl/Types.h"

namespace velvane {

// Hands a fresh copy of the picture to the desktop's backend and, once it
// took it, removes the copy handed before; a backend that takes pixels gets
// the picture itself (see WallpaperPicture.h) and no copy is made. False with the last error set:
// ERROR_FILE_NOT_FOUND for a missing picture, ERROR_NOT_SUPPORTED when no
// backend applies, or what the backend reported.
bool SetDesktopWallpaper(const String& picturePath, const DesktopEnvironment& env, DesktopCalls& calls);

} // namespace velvane
