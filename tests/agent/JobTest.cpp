// The wallpaper job against pictures on disk and on a loopback HTTP server,
// its overlay pixel by pixel, the recoveries after a failure, and the
// settings download.

#include "tests/agent/AgentFixture.h"

#include "platform/graphics/Graphics.h"
#include "platform/rtl/AppPaths.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <filesystem>

using namespace velvane;
using test::AgentTest;
using test::Filled;
using test::HttpReply;

namespace {

constexpr QRgb kGrey = 0xFF808080, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

int Count(const QImage& image, QRect area, QRgb color)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == color;
    return n;
}

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 && std::abs(qBlue(a) - qBlue(b)) < 8;
}

// Files left in the program folder besides the wallpaper and the copies the
// desktop was handed.
std::vector<String> Leftovers()
{
    std::vector<String> names;
    for (auto& e : std::filesystem::directory_iterator(GetAppFilePath())) {
        const String name = e.path().filename().string();
        if (name != "wallpaper.bmp" && name.rfind(".wallpaper-", 0) != 0) names.push_back(name);
    }
    return names;
}

} // namespace

TEST(AgentOverlay, TheTextStandsOnABoxOfTheSampledColourBelowTheBanner)
{
    test::EnsureApplication();
    test::TempEnv env;
    const String banner = env.Path("minibanner.jpg");
    AtomicWriteFile(banner, EncodeJpeg(Filled(40, 20, kGreen)));
    const struct {
        QRgb sample;
        int width, height;
        bool withBanner;
        QRgb box, text;
    } cases[] = {
        {kBlue, 200, 100, false, kBlue, 0xFF000000},
        {0xFF000080, 200, 100, true, 0xFF000080, 0xFF000000},  // blue 128: black
        {0xFF00007F, 200, 100, false, 0xFF00007F, 0xFFFFFFFF},  // blue 127: white
        {kRed, 200, 100, true, kRed, 0xFFFFFFFF},
        {kGrey, 16, 52, false, 0xFFFFFFFF, 0xFFFFFFFF},  // (16, 52) outside: white
    };
    for (const auto& c : cases) {
        TBitmap bitmap;
        bitmap.Image() = Filled(c.width, c.height, kGrey);
        if (c.width > 16) bitmap.Image().setPixel(16, 52, c.sample);
        agent::DrawOverlay(bitmap, "MMMM", c.withBanner ? banner : env.Path("none.jpg"));
        const QImage& out = bitmap.Image();
        const int top = c.withBanner ? 32 : 10;
        EXPECT_EQ(out.pixel(10, top), c.box) << c.sample;
        EXPECT_EQ(out.pixel(9, top), kGrey) << c.sample;
        EXPECT_EQ(out.pixel(10, top - 1), c.withBanner ? out.pixel(10, top - 1) : kGrey) << c.sample;
        if (c.width > 16) {
            EXPECT_GT(Count(out, QRect(10, top, 40, 12), c.text), 10) << c.sample;
        }
        if (c.withBanner) {
            EXPECT_TRUE(Near(out.pixel(10, 10), kGreen));
            EXPECT_TRUE(Near(out.pixel(49, 29), kGreen));
            EXPECT_EQ(out.pixel(50, 30), kGrey);
        }
    }
}

TEST_F(AgentTest, AJobMakesTheEntryTheWallpaperAndRecordsIt)
{
    // A menu item applies its entry exactly, "&" and all.
    const String picture = Jpeg("praia & mar.jpg", Filled(64, 64, kBlue));
    StartWith({env.Path("other.jpg"), picture});
    form->WallpaperMessage = "Olá";
        QAction* item = form->Popup->findChild<QAction*>("Menu_1");
    ASSERT_NE(item, nullptr);
    item->trigger();
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_TRUE(Near(Wallpaper().pixel(60, 60), kBlue));
    EXPECT_EQ(Panel(1), "Download concluido.");
    EXPECT_EQ(form->Cfg.cfg_CurrentIMG, picture);
    EXPECT_EQ(form->Cfg.cfg_LastAplly, clock.now);
    EXPECT_EQ(Stored("cfg_CurrentIMG|x|String"), picture);
    EXPECT_EQ(Stored("cfg_CurrentImgPos|x|Integer"), "1");
    EXPECT_EQ(Stored("cfg_LastAplly|x|DateTime"), DateTimeToStr(clock.now));
    EXPECT_EQ(form->CurrentImage->text().toStdString(), "[2]...praia & mar.jpg");
    EXPECT_EQ(agent::ForcedImage, "");
    EXPECT_FALSE(form->WallPaper->Busy);

    form->SettingsBusy = true;
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(Panel(1), "Ocupado!");
    EXPECT_EQ(desktop.log.size(), 1u);
}

TEST_F(AgentTest, WebPicturesComeFromTheServerOrGiveWay)
{
    test::LoopbackHttpServer server;
    const String jpeg = EncodeJpeg(Filled(48, 48, kRed));
    server.Serve("/ok.jpg", {200, "OK", {}, jpeg});
    server.Serve("/default.jpg", {200, "OK", {}, EncodeJpeg(Filled(48, 48, kBlue))});
    server.Serve("/cut.jpg", {200, "OK", {}, jpeg, HttpReply::Kind::CutHalfway});
    const String local = Jpeg("local.jpg", Filled(48, 48, kGreen));
    const struct {
        const char* what;
        std::vector<String> entries;
        bool online, useDefault;
        QRgb shown;  // 0: the wallpaper stays
        size_t requests;
    } cases[] = {
        {"200", {server.Url("/ok.jpg")}, true, false, kRed, 1},
        {"404", {server.Url("/missing.jpg")}, true, false, 0, 1},
        {"404, default", {server.Url("/missing.jpg")}, true, true, kBlue, 2},
        {"dropped body", {server.Url("/cut.jpg")}, true, false, 0, 1},
        {"offline", {local, "http://www.example.com/a.jpg"}, false, false, kGreen, 0},
    };
    size_t requests = 0;
    for (const auto& c : cases) {
        test::TempEnv fresh;
        desktop.log.clear();
        StartWith(c.entries, {{"cfg_UseDefaultImage", c.useDefault ? "True" : "False"}});
        form->HTTPc->Host = "127.0.0.1";
        form->HTTPc->Port = server.Port();
        form->DefaultImage = server.Url("/default.jpg");
        Online = c.online;
        form->AtualizaragoraClick(nullptr);
        EXPECT_EQ(desktop.log.size(), c.shown ? 1u : 0u) << c.what;
        if (c.shown) {
            EXPECT_TRUE(Near(Wallpaper().pixel(40, 40), c.shown)) << c.what;
        }
        EXPECT_EQ(server.Requests().size() - requests, c.requests) << c.what;
        requests = server.Requests().size();
        EXPECT_EQ(Leftovers(), std::vector<String>{}) << c.what;
        EXPECT_TRUE(dialogs.requests.empty()) << c.what << ": " << dialogs.requests.front().text;
        if (c.useDefault) {
            // The default image carries the failed address, and the rotation
            // goes on after the failed entry.
            EXPECT_EQ(form->Cfg.cfg_CurrentIMG, form->DefaultImage);
            EXPECT_EQ(form->CurrentImage->text().toStdString(), "[0]..." + form->DefaultImage);
            EXPECT_EQ(form->Cfg.cfg_LastImageError, 0);
            EXPECT_EQ(agent::OverlayMessage, "");
        }
        delete form;
        form = nullptr;
    }
}

TEST_F(AgentTest, ARecoveryChainOverPicturesThatAllFailEnds)
{
    AtomicWriteFile(env.Path("notes.txt"), "not a picture");
    StartWith({env.Path("gone.jpg"), env.Path("notes.txt"), env.Path("gone.bmp"), "http://www.example.com/x.bmp"});
    form->AtualizaragoraClick(nullptr);
    EXPECT_TRUE(desktop.log.empty());  // nothing handed to the desktop, not even the old picture
    EXPECT_EQ(Panel(1), "Nenhuma das imagens pôde ser aplicada.");
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_FALSE(form->WallPaper->Busy);
}

TEST_F(AgentTest, TheSettingsDownloadKeepsOnlyWholeGenuineFiles)
{
    test::LoopbackHttpServer server;
    const String mini = EncodeJpeg(Filled(30, 12, kGreen));
    const String genuine = "Velvane 2.0\r\nnetfile=" + server.Url("/2") + "\r\nminibanner=" + server.Url("/mini.jpg") +
                           "\r\nwallpapermessage=Olá\r\nmailto=m@velvane.example\r\nhomeurl=www.site.example/inicio\r\n";
    server.Serve("/1", {200, "OK", {}, "Velvane\r\nnetfile=" + server.Url("/2") + "\r\n"});
    server.Serve("/2", {200, "OK", {}, genuine});
    server.Serve("/mini.jpg", {200, "OK", {}, mini});
    server.Serve("/3", {200, "OK", {}, "Velvane\r\nminibanner=" + server.Url("/page") + "\r\nnetfile=" + server.Url("/4")});
    server.Serve("/page", {200, "OK", {}, "<html>no picture</html>"});
    server.Serve("/4", {200, "OK", {}, "Outro\r\nhomeurl=http://other.example/x\r\nnetfile=" + server.Url("/5")});
    server.Serve("/5", {200, "OK", {}, genuine, HttpReply::Kind::CutHalfway});
    StartWith({});
    form->HTTPc->Host = "127.0.0.1";
    form->HTTPc->Port = server.Port();
    const String local = GetAppFilePath() + "kestrin.net", banner = GetAppFilePath() + "minibanner.jpg";
    AtomicWriteFile(banner, "old");
    Online = true;

    form->NetFile = server.Url("/1");
    EXPECT_TRUE(form->DownloadSetup());  // no mini banner named: none drawn
    EXPECT_FALSE(FileExists(banner));
    EXPECT_TRUE(form->DownloadSetup());
    EXPECT_EQ(ReadFileBytes(local), genuine);
    EXPECT_EQ(ReadFileBytes(banner), mini);
    EXPECT_EQ(form->HomeUrl, "www.site.example");
    EXPECT_EQ(form->Image->toolTip(), "www.site.example");
    EXPECT_EQ(form->WallpaperMessage, "Olá");
    EXPECT_EQ(form->Image->width(), 30);
    EXPECT_EQ(Panel(1), " Setup concluido.");

    form->NetFile = server.Url("/3");
    EXPECT_TRUE(form->DownloadSetup());  // the mini banner address gives a page
    EXPECT_EQ(ReadFileBytes(banner), mini);
    EXPECT_TRUE(form->DownloadSetup());  // not the publisher's: used, not kept
    EXPECT_EQ(form->HomeUrl, "http:");
    EXPECT_EQ(ReadFileBytes(local).substr(0, 7), "Velvane");
    EXPECT_FALSE(form->DownloadSetup());  // cut
    EXPECT_EQ(ReadFileBytes(local).substr(0, 9), "Velvane\r\n");
    EXPECT_FALSE(form->SettingsBusy);

    form->WallPaper->Busy = true;
    EXPECT_FALSE(form->DownloadSetup());
    EXPECT_EQ(Panel(1), "Ocupado!");
    form->WallPaper->Busy = false;
    Online = false;
    agent::SettingsLoaded = true;
    EXPECT_TRUE(form->DownloadSetup());
}

TEST_F(AgentTest, ClosingDuringADownloadWaitsForTheJobToLetGo)
{
    test::LoopbackHttpServer server;
    server.Serve("/slow.jpg", {200, "OK", {}, String(4096, 'x'), HttpReply::Kind::Stall});
    StartWith({server.Url("/slow.jpg")});
    form->HTTPc->Host = "127.0.0.1";
    form->HTTPc->Port = server.Port();
    Online = true;
    bool busyAtClose = false;
    QTimer::singleShot(100, form->Widget(), [&] {
        busyAtClose = form->WallPaper->Busy;
        form->SairClick(nullptr);
    });
    form->AtualizaragoraClick(nullptr);  // until the close stops its transfer
    EXPECT_TRUE(busyAtClose);
    EXPECT_NE(form->WallPaper, nullptr);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return form->WallPaper == nullptr; }));
    EXPECT_EQ(Panel(1), "Finalizando processo, aguarde...");
    EXPECT_TRUE(desktop.log.empty());
}
