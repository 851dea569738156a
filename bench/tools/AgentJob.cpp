// One wallpaper change made as the agent's job makes it, in a process of its
// own: the picture decoded into the work bitmap, the mini banner (the
// program folder's "minibanner.jpg", when there is one) and the message
// drawn on it, saved as "wallpaper.bmp" in the program folder and handed to
// the desktop. Started by bench_WallpaperChangeBench.
//
//   velvane_agent_job PICTURE

#include "agent/MainService.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/AppPaths.h"
#include "settings/PictureToWallpaper.h"
#include "settings/ShareMisc.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

using namespace velvane;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PICTURE\n", argv[0]);
        return 2;
    }
    // The text needs fonts, not a window: no display connection for Qt.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        WallPaperFile = GetAppFilePath() + "wallpaper.bmp";
        TBitmap& picture = agent::WorkBitmap();
        LoadPicture(PictureKindOf(argv[1]), argv[1], picture);
        agent::DrawOverlay(picture, "Bom dia! Imagem do dia", GetAppFilePath() + "minibanner.jpg");
        ApplyWallpaper(picture, WallPaperFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
