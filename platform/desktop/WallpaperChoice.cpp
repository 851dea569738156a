#include "platform/desktop/WallpaperChoice.h"

#include "platform/rtl/AsciiText.h"

#include "platform/desktop/WallpaperBackends.h"

#include <algorithm>
#include <cstdlib>

namespace velvane {

namespace {

String Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::unique_ptr<WallpaperBackend> Gnome(DesktopCalls& calls)
{
    return std::make_unique<GSettingsWallpaper>(
        calls, "GNOME", GSettingsWallpaper::Keys{"org.gnome.desktop.background", "picture-uri", "picture-uri-dark", true});
}

} // namespace

DesktopEnvironment DesktopEnvironment::FromProcess()
{
    return DesktopEnvironment{Env("XDG_CURRENT_DESKTOP"), Env("DISPLAY"), !Env("SWAYSOCK").empty()};
}

std::unique_ptr<WallpaperBackend> ChooseWallpaperBackend(const DesktopEnvironment& env, DesktopCalls& calls)
{
    const String desktop = AsciiLowerCase(env.currentDesktop);
    const auto has = [&](const char* name) { return desktop.find(name) != String::npos; };

    // Desktops built on GNOME name it too ("Budgie:GNOME"), so the others go first.
    if (has("kde") || has("plasma")) return std::make_unique<KdeWallpaper>(calls);
    if (has("cinnamon"))
        return std::make_unique<GSettingsWallpaper>(
            calls, "Cinnamon", GSettingsWallpaper::Keys{"org.cinnamon.desktop.background", "picture-uri", "", true});
    if (has("mate"))
        return std::make_unique<GSettingsWallpaper>(
            calls, "MATE", GSettingsWallpaper::Keys{"org.mate.background", "picture-filename", "", false});
    if (has("xfce")) return std::make_unique<XfceWallpaper>(calls);
    if (has("lxqt"))
        return std::make_unique<CommandWallpaper>(calls, "LXQt", "pcmanfm-qt", std::vector<String>{"--set-wallpaper"});
    if (has("lxde"))
        return std::make_unique<CommandWallpaper>(calls, "LXDE", "pcmanfm", std::vector<String>{"--set-wallpaper"});
    if (has("gnome") || has("unity") || has("budgie") || has("pantheon")) return Gnome(calls);
    if (has("sway") || env.swaySocket)
        return std::make_unique<CommandWallpaper>(calls, "sway", "swaymsg", std::vector<String>{"output", "*", "bg"},
                                                  std::vector<String>{"fill"});
    if (!env.display.empty()) return std::make_unique<RootWindowWallpaper>(calls, env.display);
    return nullptr;
}

} // namespace velvane
