#pragma once
// Which desktop we are on, and the backend that talks to it.

#include "platform/desktop/DesktopCalls.h"
#include "platform/desktop/WallpaperBackend.h"
#include "platform/rtl/Types.h"

#include <memory>

namespace velvane {

struct DesktopEnvironment {
    String currentDesktop;  // XDG_CURRENT_DESKTOP, perhaps a list like "ubuntu:GNOME"
    String display;         // DISPLAY
    bool swaySocket = false;  // SWAYSOCK is set

    static DesktopEnvironment FromProcess();
};

// Null when no backend applies.
std::unique_ptr<WallpaperBackend> ChooseWallpaperBackend(const DesktopEnvironment& env, DesktopCalls& calls);

} // namespace velvane
