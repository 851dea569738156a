#include "platform/desktop/WallpaperBackends.h"
#include "platform/desktop/WallpaperText.h"
#include "platform/rtl/LastError.h"

namespace velvane {

String KdeWallpaper::Script(const String& path)
{
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    d.wallpaperPlugin = \"org.kde.image\";\n"
           "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
           "    d.writeConfig(\"Image\", " +
           JsStringLiteral(FileUri(path)) +
           ");\n"
           "}\n";
}

bool KdeWallpaper::Set(const String& path)
{
    if (!calls_.CallDBus("org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript",
                         {Script(path)})) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    return true;
}

} // namespace velvane
