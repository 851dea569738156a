// One wallpaper change in a process of its own, made with the calls of the
// editor's apply job: the picture decoded into the work bitmap, saved as
// "wallpaper.bmp" in the program folder and handed to the desktop. Started by
// bench_WallpaperChangeBench.
//
//   velvane_wallpaper_change PICTURE [--steps]
//
// With --steps it prints how long each step took, in milliseconds: "start"
// from the moment the benchmark spawned it (VELVANE_SPAWNED, monotonic
// nanoseconds) to main, then "decode", "save", "hand-over", and last "end"
// with the monotonic clock in nanoseconds, so the benchmark can tell what the
// exit took. Without arguments it only says how to call it: a process start
// and exit with nothing else.

#include "platform/desktop/WallpaperPicture.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/AppPaths.h"
#include "settings/PictureToWallpaper.h"
#include "settings/ShareMisc.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

using namespace velvane;

namespace {

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv)
{
    const long long entered = NowNs();
    const bool steps = argc == 3 && std::strcmp(argv[2], "--steps") == 0;
    if (argc != 2 && !steps) {
        std::fprintf(stderr, "usage: %s PICTURE [--steps]\n", argv[0]);
        return 2;
    }
    try {
        WallPaperFile = GetAppFilePath() + "wallpaper.bmp";
        TBitmap workBitmap;
        const TPictureKind kind = PictureKindOf(argv[1]);
        if (!steps) {
            LoadPicture(kind, argv[1], workBitmap);
            ApplyWallpaper(workBitmap, WallPaperFile);
            return 0;
        }
        // The same calls, with the clock read between them.
        if (const char* spawned = std::getenv("VELVANE_SPAWNED"))
            std::printf("start %.2f\n", (entered - std::atoll(spawned)) / 1e6);
        long long t = NowNs();
        const auto lap = [&t](const char* step) {
            const long long now = NowNs();
            std::printf("%s %.2f\n", step, (now - t) / 1e6);
            t = now;
        };
        LoadPicture(kind, argv[1], workBitmap);
        lap("decode");
        workBitmap.SaveToFile(WallPaperFile);
        lap("save");
        {
            const WallpaperPictureOffer held(WallPaperFile, workBitmap.Image());
            HandToDesktop(WallPaperFile);
        }
        lap("hand-over");
        std::printf("end %lld\n", NowNs());
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
