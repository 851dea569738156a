#include "platform/desktop/WallpaperBackends.h"
#include "platform/rtl/LastError.h"

namespace velvane {

bool CommandWallpaper::Set(const String& path)
{
    std::vector<String> args = before_;
    args.push_back(path);
    args.insert(args.end(), after_.begin(), after_.end());
    const int code = calls_.RunProgram(program_, args);
    if (code != 0) {
        // A program that is not installed cannot serve this desktop.
        SetLastError(code < 0 ? ERROR_NOT_SUPPORTED : ERROR_GEN_FAILURE);
        return false;
    }
    return true;
}

} // namespace velvane
