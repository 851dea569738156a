#include "platform/win/ProgramRunner.h"
#include "platform/win/WinError.h"
#include "platform/win/WinUser.h"
#include "tests/support/TempEnv.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

using namespace velvane;

namespace {

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

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

// What root_pixel reads from the display: a colour per point, then the pixmap.
std::vector<std::string> ReadRoot(const std::string& display, const std::vector<std::string>& points)
{
    std::vector<std::string> args{display};
    args.insert(args.end(), points.begin(), points.end());
    std::string out;
    EXPECT_EQ(RunProgram(ROOT_PIXEL, args, &out), 0);
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
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
