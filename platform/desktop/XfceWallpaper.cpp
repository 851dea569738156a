#include "platform/desktop/WallpaperBackends.h"
#include "platform/rtl/LastError.h"

#include <sstream>

namespace velvane {

namespace {

const String channel = "xfce4-desktop";

bool IsLastImage(const String& property)
{
    static const String prefix = "/backdrop/", suffix = "/last-image";
    return property.size() > prefix.size() + suffix.size() && property.starts_with(prefix) &&
           property.ends_with(suffix);
}

} // namespace

bool XfceWallpaper::Set(const String& path)
{
    String listing;
    const int listed = calls_.RunProgram("xfconf-query", {"-c", channel, "-l"}, &listing);
    if (listed != 0) {
        SetLastError(listed < 0 ? ERROR_NOT_SUPPORTED : ERROR_GEN_FAILURE);
        return false;
    }
    std::istringstream lines(listing);
    String property;
    int found = 0;
    bool ok = true;
    while (std::getline(lines, property)) {
        if (!property.empty() && property.back() == '\r') property.pop_back();
        if (!IsLastImage(property)) continue;
        ++found;
        ok = calls_.RunProgram("xfconf-query", {"-c", channel, "-p", property, "-s", path}) == 0 && ok;
    }
    // No monitor to set means the desktop would not show it.
    if (!found || !ok) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    return true;
}

} // namespace velvane
