// The picture-to-wallpaper steps on a real X server with no desktop: the root
// window is given the pixels the program holds, and the file is written too.

#include "settings/PictureToWallpaper.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/RootWindow.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempEnv.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velvane;

TEST(PictureToWallpaper, TheRootWindowShowsTheDecodedPictureExactlyAndTheFileHoldsIt)
{
    test::XvfbServer server("67x41x24");
    if (!server.Installed()) GTEST_SKIP() << server.Problem();
    ASSERT_TRUE(server.Running()) << server.Problem();
    test::TempEnv env;
    test::ScopedEnv display("DISPLAY", server.Display().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr),
        sway("SWAYSOCK", nullptr);
    const String folder = env.Path("program"), wallpaper = folder + "/wallpaper.bmp";
    ASSERT_TRUE(ForceDirectories(folder));
    TBitmap work;
    const uchar* memory = nullptr;
    for (unsigned seed : {1u, 2u}) {
        const String jpeg = env.Path("picture" + std::to_string(seed) + ".jpg");
        AtomicWriteFile(jpeg, EncodeJpeg(test::NoisePicture(67, 41, seed)));
        LoadPicture(TPictureKind::pkJpeg, jpeg, work);
        // The second picture of the same size lands in the first one's memory.
        EXPECT_TRUE(!memory || work.Image().constBits() == memory);
        memory = work.Image().constBits();
        const QImage decoded = work.Image().copy();
        ApplyWallpaper(work, wallpaper);
        EXPECT_EQ(test::RootWindowPicture(server.Display()), decoded) << seed;
        EXPECT_EQ(DecodeBmp(ReadFileBytes(wallpaper)), decoded) << seed;
        // Nothing was copied for a desktop that keeps no path, and nobody
        // holds on to the picture afterwards.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << seed;
        EXPECT_TRUE(work.Image().isDetached()) << seed;
    }
}
