#include "platform/desktop/RootPicture.h"
#include "platform/win/WinError.h"
#include "platform/win/WinUser.h"
#include "tests/support/RootWindow.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempEnv.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <fstream>

using namespace velvane;
using test::ReadRoot;
using test::ScopedEnv;

namespace {

// Two colours, split across the middle: side by side or one above the other.
bool SavePicture(const std::string& path, int w, int h, QColor first, QColor second, bool sideBySide)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(second);
    QPainter p(&image);
    p.fillRect(0, 0, sideBySide ? w / 2 : w, sideBySide ? h : h / 2, first);
    p.end();
    return image.save(QString::fromStdString(path), "BMP");
}

} // namespace

TEST(RootWindowWallpaperTest, ShowsEachNewPictureAtTheSamePathOnARealServer)
{
    test::XvfbServer server("320x200x24");
    if (!server.Installed()) GTEST_SKIP() << server.Problem();
    ASSERT_TRUE(server.Running()) << server.Problem();
    test::TempEnv env;
    ScopedEnv display("DISPLAY", server.Display().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr),
        sway("SWAYSOCK", nullptr);
    std::string picture = env.Path("wallpaper.bmp");

    // Same shape as the screen: left half red, right half blue.
    ASSERT_TRUE(SavePicture(picture, 64, 40, Qt::red, Qt::blue, true));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, picture.data(), SPIF_UPDATEINIFILE))
        << GetLastError();
    const auto first = ReadRoot(server.Display(), {"40", "100", "280", "100"});
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], "ff0000");
    EXPECT_EQ(first[1], "0000ff");
    EXPECT_NE(first[2], "pixmap 0");

    // Square, so it is scaled to cover the width and cropped top and bottom:
    // the split lands mid-screen.
    ASSERT_TRUE(SavePicture(picture, 100, 100, Qt::green, Qt::yellow, false));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, picture.data(), SPIF_UPDATEINIFILE))
        << GetLastError();
    const auto second = ReadRoot(server.Display(), {"160", "10", "160", "190", "5", "90", "315", "110"});
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[0], "00ff00");
    EXPECT_EQ(second[1], "ffff00");
    EXPECT_EQ(second[2], "00ff00");
    EXPECT_EQ(second[3], "ffff00");
    EXPECT_NE(second[4], "pixmap 0");
    EXPECT_NE(second[4], first[2]);

    // The first pixmap was freed when the second replaced it; the second stays.
    const auto held = ReadRoot(server.Display(), {"pixmap=" + first[2].substr(7), "pixmap=" + second[4].substr(7)});
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[0], "exists 0");
    EXPECT_EQ(held[1], "exists 1");
}

TEST(RootWindowWallpaperTest, UnreadablePictureOrNoServerFail)
{
    test::TempEnv env;
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr), sway("SWAYSOCK", nullptr);
    std::string junk = env.Path("junk.bmp");
    {
        std::ofstream(junk) << "not a picture";
    }
    {
        ScopedEnv display("DISPLAY", ":1");
        EXPECT_FALSE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, junk.data(), 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    }
    {
        ScopedEnv display("DISPLAY", nullptr);
        EXPECT_FALSE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, junk.data(), 0));
        EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    }
}

namespace {

// A colour as a screen with channels of these widths holds it, widened back
// the way root_pixel widens it.
QRgb AsHeld(QRgb color, int redBits, int greenBits, int blueBits)
{
    const auto keep = [](int v, int bits) { return bits >= 8 ? v : (v >> (8 - bits)) << (8 - bits); };
    return qRgb(keep(qRed(color), redBits), keep(qGreen(color), greenBits), keep(qBlue(color), blueBits));
}

} // namespace

TEST(RootWindowWallpaperTest, ShowsThePictureExactlyAtEveryTrueColourDepth)
{
    struct Depth {
        int depth, red, green, blue;
    };
    // 24 goes out as the picture's own rows; the others through the row
    // converter. An odd width leaves no row a whole number of words.
    for (const Depth d : {Depth{24, 8, 8, 8}, Depth{30, 10, 10, 10}, Depth{16, 5, 6, 5}, Depth{15, 5, 5, 5}}) {
        SCOPED_TRACE("depth " + std::to_string(d.depth));
        test::XvfbServer server("67x41x" + std::to_string(d.depth));
        if (!server.Installed()) GTEST_SKIP() << server.Problem();
        ASSERT_TRUE(server.Running()) << server.Problem();

        const QImage picture = test::NoisePicture(67, 41, static_cast<unsigned>(d.depth));
        ASSERT_EQ(SetRootWindowPicture(server.Display(), picture), ERROR_SUCCESS);
        const QImage shown = test::RootWindowPicture(server.Display());
        ASSERT_EQ(shown.size(), picture.size());
        int wrong = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb want = AsHeld(picture.pixel(x, y), d.red, d.green, d.blue);
                if (shown.pixel(x, y) != want && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << shown.pixel(x, y) << " instead of "
                                  << want;
            }
        EXPECT_EQ(wrong, 0);
    }
}
