#include "platform/desktop/Wallpaper.h"

#include "platform/desktop/WallpaperBackends.h"
#include "platform/desktop/WallpaperPicture.h"
#include "platform/desktop/WallpaperText.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinError.h"
#include "platform/win/WinUser.h"
#include "tests/support/RecordingDesktopCalls.h"
#include "tests/support/TempEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace velvane;
using testing::ElementsAre;
using testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

const std::string gnome = "org.gnome.desktop.background";

QImage Filled(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// ".<stem>-<digits>.bmp"
bool IsCopyName(const std::string& name)
{
    const auto dash = name.rfind('-');
    if (!name.starts_with(".") || !name.ends_with(".bmp") || dash == std::string::npos) return false;
    const std::string digits = name.substr(dash + 1, name.size() - dash - 5);
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
}

class WallpaperDesktopsTest : public testing::Test {
protected:
    test::TempEnv env;
    test::RecordingDesktopCalls calls;
    std::string picture;

    void SetUp() override
    {
        fs::create_directories(env.Path("my pictures"));
        picture = env.Path("my pictures/sea view.bmp");
        std::ofstream(picture) << "BM picture";
        calls.keys = {gnome + " picture-uri", gnome + " picture-uri-dark", "org.cinnamon.desktop.background picture-uri",
                      "org.mate.background picture-filename"};
    }

    bool SetOn(const std::string& desktop, const std::string& display = "", bool swaySocket = false)
    {
        calls.log.clear();
        return SetDesktopWallpaper(picture, DesktopEnvironment{desktop, display, swaySocket}, calls);
    }

    // The copies beside the picture; the desktop was handed the only one.
    std::vector<std::string> Copies() const
    {
        std::vector<std::string> copies;
        for (const auto& e : fs::directory_iterator(fs::path(picture).parent_path()))
            if (IsCopyName(e.path().filename().string())) copies.push_back(e.path().string());
        return copies;
    }
    std::string Handed() const
    {
        const auto copies = Copies();
        EXPECT_EQ(copies.size(), 1u);
        return copies.empty() ? "" : copies[0];
    }
};

} // namespace

TEST_F(WallpaperDesktopsTest, EachSettingsSchemaGetsTheKeysItHas)
{
    for (const char* desktop : {"GNOME", "ubuntu:GNOME", "Unity", "Budgie:GNOME", "Pantheon", "gnome-flashback"}) {
        SCOPED_TRACE(desktop);
        ASSERT_TRUE(SetOn(desktop));
        const std::string uri = FileUri(Handed());
        EXPECT_THAT(calls.log, ElementsAre("has " + gnome + " picture-uri", "has " + gnome + " picture-uri-dark",
                                           "set " + gnome + " picture-uri " + uri,
                                           "set " + gnome + " picture-uri-dark " + uri));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
    // Cinnamon and MATE use schemas of their own.
    ASSERT_TRUE(SetOn("X-Cinnamon"));
    EXPECT_THAT(calls.log, ElementsAre("has org.cinnamon.desktop.background picture-uri",
                                       "set org.cinnamon.desktop.background picture-uri " + FileUri(Handed())));
    ASSERT_TRUE(SetOn("MATE"));
    EXPECT_THAT(calls.log, ElementsAre("has org.mate.background picture-filename",
                                       "set org.mate.background picture-filename " + Handed()));

    // A GNOME schema without the dark key, or without the schema.
    calls.keys.erase(gnome + " picture-uri-dark");
    ASSERT_TRUE(SetOn("GNOME"));
    EXPECT_THAT(calls.log, ElementsAre("has " + gnome + " picture-uri", "has " + gnome + " picture-uri-dark",
                                       "set " + gnome + " picture-uri " + FileUri(Handed())));

    const std::string before = Handed();
    calls.keys.clear();
    EXPECT_FALSE(SetOn("GNOME"));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_THAT(calls.log, ElementsAre("has " + gnome + " picture-uri"));
    EXPECT_EQ(Handed(), before);  // the failed copy is gone, the shown one stays
}

TEST_F(WallpaperDesktopsTest, XfceSetsEveryMonitorsLastImage)
{
    calls.programOutput = "/backdrop/screen0/monitor0/workspace0/last-image\n"
                          "/backdrop/screen0/monitor0/workspace0/image-style\n"
                          "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                          "/desktop-icons/last-image-size\n";
    ASSERT_TRUE(SetOn("XFCE"));
    const std::string path = Handed();
    EXPECT_THAT(calls.log,
                ElementsAre("run xfconf-query|-c|xfce4-desktop|-l",
                            "run xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitor0/workspace0/last-image|-s|" + path,
                            "run xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/workspace0/last-image|-s|" +
                                path));

    calls.programOutput = "/desktop-icons/style\n";  // nothing to set is not success
    EXPECT_FALSE(SetOn("XFCE"));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
}

TEST_F(WallpaperDesktopsTest, KdeEvaluatesAScriptForEveryDesktop)
{
    ASSERT_TRUE(SetOn("KDE"));
    ASSERT_EQ(calls.log.size(), 1u);
    const std::string prefix = "dbus org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell evaluateScript|";
    ASSERT_TRUE(calls.log[0].starts_with(prefix));
    const std::string script = calls.log[0].substr(prefix.size());
    EXPECT_THAT(script, HasSubstr("desktops()"));
    EXPECT_THAT(script, HasSubstr("org.kde.image"));
    EXPECT_THAT(script, HasSubstr("writeConfig(\"Image\", \"" + FileUri(Handed()) + "\")"));

    calls.dbusAnswers = false;
    EXPECT_FALSE(SetOn("KDE"));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
}

TEST_F(WallpaperDesktopsTest, ProgramsGetThePathAsOneArgument)
{
    ASSERT_TRUE(SetOn("LXQt"));
    EXPECT_THAT(calls.log, ElementsAre("run pcmanfm-qt|--set-wallpaper|" + Handed()));
    ASSERT_TRUE(SetOn("LXDE"));
    EXPECT_THAT(calls.log, ElementsAre("run pcmanfm|--set-wallpaper|" + Handed()));
    ASSERT_TRUE(SetOn("sway"));
    EXPECT_THAT(calls.log, ElementsAre("run swaymsg|output|*|bg|" + Handed() + "|fill"));
    ASSERT_TRUE(SetOn("", ":0", true));  // only the socket tells
    EXPECT_THAT(calls.log, ElementsAre("run swaymsg|output|*|bg|" + Handed() + "|fill"));

    calls.exitCode = 1;
    EXPECT_FALSE(SetOn("LXQt"));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    calls.exitCode = -1;  // not installed
    EXPECT_FALSE(SetOn("LXDE"));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(WallpaperDesktopsTest, UnknownDesktopsUseTheRootWindowOnlyWithADisplay)
{
    const QImage image = Filled(6, 4, qRgb(200, 10, 20));
    AtomicWriteFile(picture, EncodeBmp(image));
    ASSERT_TRUE(SetOn("Hyprland", ":7"));
    // The root window keeps pixels, not a path: it gets the picture and no
    // copy is made.
    EXPECT_THAT(calls.log, ElementsAre("root :7 6x4"));
    EXPECT_EQ(calls.rootPicture, image);
    EXPECT_TRUE(Copies().empty());
    ASSERT_TRUE(SetOn("", ":7"));
    EXPECT_THAT(calls.log, ElementsAre("root :7 6x4"));

    // It takes the picture held only while the file stands as offered; the
    // held one is unlike the file, so that it shows which one was used.
    QImage held = Filled(6, 4, qRgb(1, 2, 3));
    {
        const WallpaperPictureOffer offer(env.Path("my pictures/../my pictures/./sea view.bmp"), held);
        ASSERT_TRUE(SetOn("", ":7"));
        EXPECT_EQ(calls.rootPicture, held);
        EXPECT_EQ(calls.rootPicture.constBits(), held.constBits());  // the same memory, not a copy

        // Another picture at the same path, as the other program writes it.
        const QImage replaced = Filled(6, 4, qRgb(0, 90, 0));
        AtomicWriteFile(picture, EncodeBmp(replaced));
        ASSERT_TRUE(SetOn("", ":7"));
        EXPECT_EQ(calls.rootPicture, replaced);
        AtomicWriteFile(picture, EncodeBmp(image));
    }
    calls.rootPicture = QImage();
    EXPECT_TRUE(held.isDetached());  // the offer let go of it
    ASSERT_TRUE(SetOn("", ":7"));
    EXPECT_EQ(calls.rootPicture, image);
    {
        // Desktops that take a file are handed a copy of the file, whatever is offered.
        const WallpaperPictureOffer offer(picture, held);
        ASSERT_TRUE(SetOn("MATE"));
        EXPECT_EQ(ReadFileBytes(Handed()), EncodeBmp(image));
    }

    calls.rootResult = ERROR_GEN_FAILURE;
    EXPECT_FALSE(SetOn("", ":7"));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);

    EXPECT_FALSE(SetOn("Hyprland"));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(calls.log.empty());

    const std::string shown = Handed();
    std::ofstream(picture) << "BM but no picture";
    EXPECT_FALSE(SetOn("", ":7"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_TRUE(calls.log.empty());
    EXPECT_EQ(Copies(), std::vector<std::string>{shown});
}

TEST_F(WallpaperDesktopsTest, AwkwardPathsAreEncodedAndEscaped)
{
    fs::create_directories(env.Path("it's \"q\" 100%"));
    picture = env.Path("it's \"q\" 100%/m\xC3\xBCsli'\");x.bmp");
    std::ofstream(picture) << "BM picture";

    ASSERT_TRUE(SetOn("GNOME"));
    const std::string handed = Handed();
    const std::string number = handed.substr(handed.rfind('-') + 1, handed.size() - handed.rfind('-') - 5);
    const std::string uri =
        "file://" + env.Root() + "/it%27s%20%22q%22%20100%25/.m%C3%BCsli%27%22%29%3Bx-" + number + ".bmp";
    EXPECT_EQ(calls.log.back(), "set " + gnome + " picture-uri-dark " + uri);

    ASSERT_TRUE(SetOn("KDE"));
    const std::string script = calls.log[0];
    const auto at = script.find("writeConfig(\"Image\", ");
    ASSERT_NE(at, std::string::npos);
    const auto literal = script.substr(at + 21);
    const auto close = literal.find('"', 1);
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(literal.substr(1, close - 1), FileUri(Handed()));  // the string ends where the path does
    EXPECT_TRUE(literal.substr(close).starts_with("\");"));
}

TEST_F(WallpaperDesktopsTest, FailsBeforeAnyCallForBadArguments)
{
    const std::string missing = env.Path("none.bmp");
    EXPECT_FALSE(SetDesktopWallpaper(missing, DesktopEnvironment{"GNOME", ":0", false}, calls));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(missing.c_str()),
                                       SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SystemParametersInfoA(21, 0, const_cast<char*>(picture.c_str()), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(calls.log.empty());
}

TEST_F(WallpaperDesktopsTest, CopiesLeftByChangesThatNeverEndedArePrunedToOne)
{
    // Three changes killed between the copy and the switch; names not ours.
    for (const char* stale : {"-100.bmp", "-300.bmp", "-200.bmp"})
        std::ofstream(env.Path(std::string("my pictures/.sea view") + stale)) << "BM stale";
    std::ofstream(env.Path("my pictures/.sea view-old.bmp")) << "not ours";
    std::ofstream(env.Path("my pictures/sea view-1.bmp")) << "not ours";

    calls.exitCode = 1;  // the desktop refuses this change: the shown copy stays
    EXPECT_FALSE(SetOn("LXQt"));
    EXPECT_THAT(Copies(), ElementsAre(env.Path("my pictures/.sea view-300.bmp")));

    // Each change hands a fresh name and keeps only the newest.
    calls.exitCode = 0;
    ASSERT_TRUE(SetOn("LXQt"));
    const std::string first = Handed();
    EXPECT_NE(first, env.Path("my pictures/.sea view-300.bmp"));
    std::ofstream(picture) << "BM second";  // a new picture at the same path
    ASSERT_TRUE(SetOn("MATE"));
    const std::string second = Handed();
    EXPECT_NE(second, first);
    EXPECT_EQ(calls.log.back(), "set org.mate.background picture-filename " + second);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(ReadFileBytes(second), "BM second");
    for (const char* kept : {"sea view.bmp", "sea view-1.bmp", ".sea view-old.bmp"})
        EXPECT_TRUE(fs::exists(env.Path("my pictures/") + kept)) << kept;
}
