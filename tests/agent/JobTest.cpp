// The wallpaper job against pictures on disk and on a loopback HTTP server,
// its overlay pixel by pixel, the recoveries after a failure, and the
// settings download.

#include "tests/agent/AgentFixture.h"

#include "platform/forms/Menus.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"
#include "settings/TransferLimits.h"
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

static constexpr QRgb kGrey = 0xFF808080, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

static bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 && std::abs(qBlue(a) - qBlue(b)) < 8;
}

TEST(AgentOverlay, TheTextStandsOnABoxOfTheSampledColourBelowTheBanner)
{
    test::EnsureApplication();
    test::TempEnv env;
    const String banner = env.Path("minibanner.jpg");
    AtomicWriteFile(banner, EncodeJpeg(Filled(40, 20, kGreen)));
    const struct { QRgb sample; int height; bool withBanner; QRgb box, text; } cases[] = {
        {0xFF000080, 100, false, 0xFF000080, 0xFF000000},  // blue 128: black text
        {0xFF00007F, 100, true, 0xFF00007F, 0xFFFFFFFF},   // blue 127: white
        {kRed, 52, false, 0xFFFFFFFF, 0xFFFFFFFF},         // (16, 52) outside reads -1: white
    };
    for (const auto& c : cases) {
        TBitmap bitmap;
        bitmap.Image() = Filled(200, c.height, kGrey);
        if (c.height > 52) bitmap.Image().setPixel(16, 52, c.sample);
        agent::DrawOverlay(bitmap, "MMMM", c.withBanner ? banner : env.Path("none.jpg"));
        const QImage& out = bitmap.Image();
        const int top = c.withBanner ? 32 : 10;
        // Every pixel of the text's box is the box's colour, the text's, or
        // (on the letters' smoothed edges) between the two; so where both are
        // white no other colour may show.
        int text = 0, strays = 0;
        for (int y = top; y < top + 12; ++y)
            for (int x = 10; x < 50; ++x) {
                const QRgb p = out.pixel(x, y);
                text += p == c.text;
                for (int shift : {0, 8, 16}) {
                    const int v = p >> shift & 0xFF, a = c.box >> shift & 0xFF, b = c.text >> shift & 0xFF;
                    strays += v < std::min(a, b) || v > std::max(a, b);
                }
            }
        EXPECT_EQ(strays, 0) << c.sample;
        EXPECT_EQ(out.pixel(10, top), c.box) << c.sample;
        EXPECT_EQ(out.pixel(9, top), kGrey) << c.sample;
        EXPECT_TRUE(c.text == c.box || text > 10) << c.sample;
        EXPECT_EQ(Near(out.pixel(49, 29), kGreen), c.withBanner) << c.sample;
        EXPECT_EQ(out.pixel(50, 30), kGrey) << c.sample;
    }
}

TEST_F(AgentTest, AJobMakesItsEntryTheWallpaperAndAChainOfFailuresEnds)
{
    // A menu item applies its entry exactly, "&" and all.
    AtomicWriteFile(env.Path("notes.txt"), "not a picture");
    const String picture = Jpeg("praia & mar.jpg", Filled(64, 64, kBlue));
    StartWith({env.Path("gone.jpg"), env.Path("notes.txt"), env.Path("gone.bmp"), "http://www.example.com/x.bmp", picture});
    form->Popup->Items()->findChild<QAction*>("Menu_4")->trigger();
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_TRUE(Near(Wallpaper().pixel(60, 60), kBlue));
    EXPECT_EQ(Panel(1), "Download concluido.");
    EXPECT_EQ(Stored("cfg_CurrentIMG|x|String"), picture);
    EXPECT_EQ(Stored("cfg_CurrentImgPos|x|Integer"), "4");
    EXPECT_EQ(Stored("cfg_LastAplly|x|DateTime"), DateTimeToStr(clock.Now()));
    EXPECT_EQ(form->CurrentImage->text().toStdString(), "[5]...praia & mar.jpg");
    EXPECT_EQ(agent::ForcedImage, "");

    // Every entry fails now, the text file and the web BMP too: each has its
    // turn, nothing reaches the desktop (not the old picture either), and the
    // chain ends saying so.
    std::filesystem::remove(picture);
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(desktop.log.size(), 1u);
    EXPECT_EQ(Panel(1), "Nenhuma das imagens pôde ser aplicada.");
    EXPECT_TRUE(dialogs.requests.empty());

    form->SettingsBusy = true, form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(Panel(1), "Ocupado!");
}

TEST_F(AgentTest, WebPicturesComeFromTheServerOrGiveWay)
{
    test::LoopbackHttpServer server;
    const String jpeg = EncodeJpeg(Filled(48, 48, kRed));
    server.Serve("/ok.jpg", {200, "OK", {}, jpeg});
    server.Serve("/default.jpg", {200, "OK", {}, EncodeJpeg(Filled(48, 48, kBlue))});
    server.Serve("/cut.jpg", {200, "OK", {}, jpeg, HttpReply::Kind::CutHalfway});
    const String local = Jpeg("local.jpg", Filled(48, 48, kGreen)), other = Jpeg("other.jpg", Filled(48, 48, kGreen));
    AtomicWriteFile(env.Path("damaged.jpg"), String("\xFF\xD8\xFF\xE0 not a picture", 20));
    // shown 0: the wallpaper stays.
    const struct {
        const char* what; std::vector<String> entries; bool online, useDefault; QRgb shown; size_t requests;
        const char* defaultImage = "/default.jpg";
    } cases[] = {
        {"200", {server.Url("/ok.jpg")}, true, false, kRed, 1},
        {"404", {server.Url("/missing.jpg")}, true, false, 0, 1},
        {"404, default", {server.Url("/missing.jpg")}, true, true, kBlue, 2},
        {"dropped body", {server.Url("/cut.jpg")}, true, false, 0, 1},
        {"offline", {local, "http://www.example.com/a.jpg"}, false, false, kGreen, 0},
        {"offline, no www.", {local, "http://127.0.0.1/a.jpg"}, false, false, kGreen, 0},
        // The default image answers 404 too: the next local picture; that one
        // damaged ends the chain, told by the message rule (nothing shown).
        {"404, default 404", {local, server.Url("/missing.jpg"), other}, true, true, kGreen, 2, "/gone.jpg"},
        {"404, default 404, damaged", {env.Path("damaged.jpg"), server.Url("/missing.jpg")}, true, true, 0, 2,
         "/gone.jpg"},
    };
    size_t requests = 0;
    for (const auto& c : cases) {
        test::TempEnv fresh;
        desktop.log.clear();
        StartWith(c.entries, {{"cfg_UseDefaultImage", c.useDefault ? "True" : "False"}});
        Loopback(server.Port(), c.online);
        form->DefaultImage = server.Url(c.defaultImage);
        form->AtualizaragoraClick(nullptr);
        EXPECT_EQ(desktop.log.size(), c.shown ? 1u : 0u) << c.what;
        EXPECT_TRUE(!c.shown || Near(Wallpaper().pixel(40, 40), c.shown)) << c.what;
        EXPECT_EQ(server.Requests().size() - std::exchange(requests, server.Requests().size()), c.requests) << c.what;
        // Nothing left of the download but the wallpaper and the desktop's copy.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(GetAppFilePath()), {}), c.shown ? 2 : 0) << c.what;
        EXPECT_TRUE(dialogs.requests.empty()) << c.what << ": " << dialogs.requests.front().text;
        if (c.shown == kBlue) {
            // It carries the failed address, and the rotation goes on after that.
            EXPECT_EQ(form->CurrentImage->text().toStdString(), "[0]..." + form->DefaultImage);
            EXPECT_EQ(form->Cfg.cfg_LastImageError, 0);
            EXPECT_EQ(agent::OverlayMessage, "");
        }
        delete std::exchange(form, nullptr);
    }
}

TEST_F(AgentTest, TheSettingsDownloadKeepsOnlyWholeGenuineFiles)
{
    test::LoopbackHttpServer server;
    const String mini = EncodeJpeg(Filled(30, 12, kGreen));
    const String genuine = "Velvane 2.0\r\nminibanner=" + server.Url("/mini.jpg") +
                           "\r\nwallpapermessage=Olá\r\nhomeurl=www.site.example/inicio\r\nnetfile=" + server.Url("/3");
    server.Serve("/1", {200, "OK", {}, "Velvane\r\nnetfile=" + server.Url("/2")});
    server.Serve("/2", {200, "OK", {}, genuine});
    server.Serve("/mini.jpg", {200, "OK", {}, mini});
    server.Serve("/3", {200, "OK", {}, "Velvane\r\nminibanner=" + server.Url("/3") + "\r\nnetfile=" + server.Url("/4")});
    server.Serve("/4", {200, "OK", {}, "Outro\r\nhomeurl=http://other.example/x\r\nnetfile=" + server.Url("/5")});
    server.Serve("/5", {200, "OK", {}, genuine, HttpReply::Kind::CutHalfway});
    // One byte over the limit, declared or not; a byte every 50 ms, which no
    // read bound ends.
    const String over = "Velvane" + String(TransferLimits.SettingsBytes - 6, 'x');
    server.Serve("/6", {200, "OK", {}, over});
    server.Serve("/7", {0, "", {}, "HTTP/1.1 200 OK\r\n\r\n" + over, HttpReply::Kind::Raw});
    server.Serve("/8", {200, "OK", {}, genuine, HttpReply::Kind::Trickle});
    server.Serve("/slow.jpg", {200, "OK", {}, String(4096, 'x'), HttpReply::Kind::Trickle});
    StartWith({server.Url("/slow.jpg")});
    Loopback(server.Port());
    const String local = GetAppFilePath() + "kestrin.net", banner = GetAppFilePath() + "minibanner.jpg";
    AtomicWriteFile(banner, "old");
    form->NetFile = server.Url("/1");
    EXPECT_TRUE(form->DownloadSetup());  // no mini banner named: none drawn
    EXPECT_FALSE(FileExists(banner));
    EXPECT_TRUE(form->DownloadSetup());
    EXPECT_EQ(ReadFileBytes(local), genuine);
    EXPECT_EQ(ReadFileBytes(banner), mini);
    EXPECT_EQ(form->HomeUrl, "www.site.example");
    EXPECT_EQ(Panel(1), " Setup concluido.");
    EXPECT_TRUE(form->DownloadSetup());  // the mini banner's address gives no picture
    EXPECT_EQ(ReadFileBytes(banner), mini);
    EXPECT_TRUE(form->DownloadSetup());  // not the publisher's: used, not kept
    EXPECT_EQ(form->HomeUrl, "http:");
    EXPECT_FALSE(form->DownloadSetup());  // cut
    EXPECT_EQ(ReadFileBytes(local).substr(0, 9), "Velvane\r\n");
    const TTransferLimits saved = TransferLimits;
    TransferLimits.PictureTime = TransferLimits.SettingsTime = 300;
    const String kept = ReadFileBytes(local);
    for (const char* path : {"/6", "/7", "/8"}) {
        form->NetFile = server.Url(path);
        EXPECT_FALSE(form->DownloadSetup()) << path;
        EXPECT_TRUE(ReadFileBytes(local) == kept) << path;
    }
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
    // A picture that trickles in ends its job as well.
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
    EXPECT_TRUE(desktop.log.empty());
    TransferLimits = saved;
}

TEST_F(AgentTest, ClosingDuringADownloadWaitsForTheJobToLetGo)
{
    test::LoopbackHttpServer server;
    server.Serve("/slow.jpg", {200, "OK", {}, String(4096, 'x'), HttpReply::Kind::Stall});
    StartWith({server.Url("/slow.jpg")});
    Loopback(server.Port());
    // Closed once the picture is coming in (a close while it connects is
    // the caller's error, not the job's).
    bool busyAtClose = false;
    test::WhenReady(form->Widget(), [&] { return form->DownloadStream->Size() > 0; },
                    [&] { busyAtClose = form->WallPaper->Busy, form->SairClick(nullptr); });
    form->AtualizaragoraClick(nullptr);  // until the close stops its transfer
    EXPECT_TRUE(busyAtClose);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return form->WallPaper == nullptr; }));
    EXPECT_EQ(Panel(1), "Finalizando processo, aguarde...");
}
