#include "platform/rtl/AppPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace velvane {

namespace {

String HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// A base folder from an XDG variable; relative or empty values are ignored,
// as the XDG rules say.
String XdgFolder(const char* variable, const char* fallbackBelowHome, bool create = true)
{
    const char* value = std::getenv(variable);
    String base = value && value[0] == '/' ? String(value) : HomeFolder() + "/" + fallbackBelowHome;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    String folder = base + "/velvane/";
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    return folder;
}

} // namespace

String GetAppFilePath() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

String GetConfigPath(bool create) { return XdgFolder("XDG_CONFIG_HOME", ".config", create); }

} // namespace velvane
