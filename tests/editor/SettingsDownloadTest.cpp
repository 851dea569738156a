// The settings file, its download and the themes menu, the download
// feedback and the browser page, against a loopback server.

#include "editor/Main.h"

#include "dialogs/Unt_Progress.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "browser/WebBrowser.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Registry.h"
#include "settings/SettingsFile.h"
#include "settings/TransferLimits.h"
#include "tests/support/Locales.h"
#include "tests/support/Eventually.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"
#include "editor/SpyConnection.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QStackedWidget>

#include <chrono>
#include <thread>

using namespace velvane;
using namespace std::chrono_literals;

namespace {

String Jpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(10, 120, 200));
    return EncodeJpeg(image);
}

class SettingsDownloadTest : public testing::Test {
protected:
    SettingsDownloadTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;
        form = Application->CreateForm<TMainForm>();
        form->HTTPc->Host = "127.0.0.1";
        form->HTTPc->Port = server.Port();
        folder = GetAppFilePath();
    }
    ~SettingsDownloadTest() override
    {
        delete form;
        TMainForm::WatchConnection = true;
    }

    // The local file as the deployment ships it, its address on the third line.
    void LocalFile(const String& extra = {})
    {
        AtomicWriteFile(folder + "kestrin.net", "Velvane\r\nhost=www.old.example\r\nnetfile=" +
                                                    server.Url("/kestrin.net") + "\r\n" + extra);
    }

    String GoodFile() const
    {
        return "Velvane - configuracoes\r\n"
               "host=www.velvane.example\r\n"
               "netfile=http://elsewhere.example/other.net\r\n"
               "bannerurl=http://www.velvane.example/promo\r\n"
               "bannerjpg=" + server.Url("/banner.jpg") + "\r\n"
               "minibanner=" + server.Url("/mini.jpg") + "\r\n"
               "bannerhint=Visite\r\n"
               "homeurl=" + server.Url("/home.html") + "\r\n"
               "mailto=contato@velvane.example\r\n"
               "themesurl=http://www.velvane.example/temas/;.html;Carros;Cidades\r\n";
    }

    std::vector<String> ThemeItems() const
    {
        std::vector<String> items;
        for (QAction* a : form->Temas->actions())
            items.push_back(a->objectName().toStdString() + ":" + a->text().toStdString());
        return items;
    }

    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    test::LoopbackHttpServer server;
    TMainForm* form = nullptr;
    String folder;
};

} // namespace

TEST(ThemeAddresses, FoldBlanksMarksAndAccentsOfEitherCase)
{
    EXPECT_EQ(ThemeAddress("http://www.velvane.example/temas/Computação gráfica.html"),
              "http://www.velvane.example/temas/computacao_grafica.html");
    EXPECT_EQ(ThemeAddress("Psicodélico"), "psicodelico");
    EXPECT_EQ(ThemeAddress("&Ágüa ÃÉÊÍÓÔÕÚÇ"), "agüa_aeeiooouc");  // letters outside the table stay
    EXPECT_EQ(ThemeAddress("à â"), "à_â");
}

TEST_F(SettingsDownloadTest, AGoodFileIsStoredTakenAndBuildsTheThemes)
{
    LocalFile();
    server.Serve("/kestrin.net", {200, "OK", {}, GoodFile()});
    server.Serve("/banner.jpg", {200, "OK", {}, Jpeg(40, 20)});
    server.Serve("/mini.jpg", {200, "OK", {}, Jpeg(10, 10)});
    server.Serve("/home.html", {200, "OK", {"Content-Type: text/html"}, "<html><body>home</body></html>"});
    form->NetConnection->Execute();

    TNetConnection& net = *form->NetConnection;
    EXPECT_EQ(ReadFileBytes(folder + "kestrin.net"), GoodFile());
    EXPECT_EQ(net.Host, "www.velvane.example");
    EXPECT_EQ(net.NetFile, server.Url("/kestrin.net")) << "only the local file gives the address";
    EXPECT_EQ(net.MailTo, "contato@velvane.example");
    EXPECT_EQ(ThemeItems(), (std::vector<String>{"Theme2:Carros", "Theme3:Cidades"}));
    EXPECT_EQ(ReadFileBytes(folder + "banner.jpg"), Jpeg(40, 20));
    EXPECT_EQ(ReadFileBytes(folder + "minibanner.jpg"), Jpeg(10, 10));
    EXPECT_EQ(form->Banner->pixmap().size(), QSize(40, 20));
    EXPECT_TRUE(net.SettingsLoaded);
    EXPECT_TRUE(form->Browser->EngineStarted()) << "the home page opens";
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(1));
    EXPECT_FALSE(net.Busy);

    net.SetOffLine();
    EXPECT_TRUE(ThemeItems().empty());
    EXPECT_FALSE(net.SettingsLoaded);
}

TEST_F(SettingsDownloadTest, AFailedDownloadKeepsTheFileAndNeverSaysUpdated)
{
    // What the local file knows is enough to count as loaded.
    LocalFile("bannerjpg=" + server.Url("/banner.jpg") + "\r\nbannerurl=http://www.velvane.example/promo\r\n"
              "homeurl=" + server.Url("/home.html") + "\r\n");
    const String local = ReadFileBytes(folder + "kestrin.net");
    TStringList lines;
    lines.LoadFromFile(folder + "kestrin.net");
    form->NetConnection->TakeLocalKeys(lines);
    AtomicWriteFile(folder + "banner.jpg", Jpeg(8, 8));
    server.Serve("/banner.jpg", {200, "OK", {"Content-Type: text/html"}, "<html>not found</html>"});
    server.Serve("/home.html", {200, "OK", {}, "<html></html>"});
    const TTransferLimits saved = TransferLimits;
    TransferLimits.SettingsTime = 300;

    for (test::HttpReply reply : {test::HttpReply{404, "Not Found", {}, "missing"},
                                  test::HttpReply{200, "OK", {}, GoodFile(), test::HttpReply::Kind::CutHalfway},
                                  test::HttpReply{200, "OK", {}, "<html>\r\nhost=www.evil.example\r\n"},
                                  // One byte over the limit, and a trickle past the time bound.
                                  test::HttpReply{200, "OK", {}, "Velvane" + String(TransferLimits.SettingsBytes - 6, 'x')},
                                  test::HttpReply{200, "OK", {}, GoodFile(), test::HttpReply::Kind::Trickle}}) {
        server.Serve("/kestrin.net", reply);
        form->NetConnection->SettingsLoaded = false;
        form->NetConnection->Execute();
        EXPECT_TRUE(ReadFileBytes(folder + "kestrin.net") == local);  // not printed: one is a megabyte
        EXPECT_EQ(form->NetConnection->Host, "www.old.example");
        EXPECT_TRUE(form->NetConnection->SettingsLoaded);
        EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(73));
        // An error page never replaces the banner we have.
        EXPECT_EQ(ReadFileBytes(folder + "banner.jpg"), Jpeg(8, 8));
    }
    TransferLimits = saved;
}

TEST_F(SettingsDownloadTest, AddressesFromTheFileOpenOnlyWhenTheyAreWebAddresses)
{
    // Before the first download no page is known: Home and the banner say
    // nothing, the settings file is not at fault.
    form->StatusBar->SetPanel(1, "before");
    form->Nav_BackClick(form->Nav_Home);
    form->BannerClick(form->Banner);
    EXPECT_EQ(form->StatusBar->Panel(1), "before");

    form->NetConnection->HomeUrl = "javascript:alert(1)";
    form->NetConnection->BannerUrl = "/etc/passwd";
    form->Nav_BackClick(form->Nav_Home);
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(74));
    form->StatusBar->SetPanel(1, "");
    form->BannerClick(form->Banner);
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(74));
    EXPECT_FALSE(form->Browser->EngineStarted());
    EXPECT_TRUE(IsOpenableAddress("HTTPS://www.velvane.example"));
    EXPECT_TRUE(IsOpenableAddress("mailto:a@b.example"));
    EXPECT_FALSE(IsOpenableAddress("file:///etc/passwd"));
}

TEST_F(SettingsDownloadTest, TheResultOfEachTransferReachesTheStatusBar)
{
    struct Case {
        int code;
        String reason;
        int line;
    };
    form->StatusBar->SetPanel(1, "before");
    for (const Case& c : {Case{200, "OK", 71}, Case{401, "Unauthorized", 30}, Case{403, "Forbidden", -1},
                          Case{404, "Not Found", 31}, Case{500, "Internal Server Error", 38}}) {
        server.Serve("/r" + std::to_string(c.code), {c.code, c.reason, {}, "x"});
        String before = form->StatusBar->Panel(1);
        TMemoryStream body;
        try {
            form->HTTPc->Get(server.Url("/r" + std::to_string(c.code)), body);
        } catch (const Exception&) {
        }
        EXPECT_EQ(form->StatusBar->Panel(1), c.line >= 0 ? form->Msg(c.line) : before) << c.code;
    }
}

TEST_F(SettingsDownloadTest, TheBrowserPageFollowsItsDocuments)
{
    server.Serve("/a.html", {200, "OK", {"Content-Type: text/html"}, "<html><body>a</body></html>"});
    std::vector<String> texts;
    form->Browser->OnDownloadBegin = [&](QObject* s) {
        form->BrowserDownloadBegin(s);
        texts.push_back(form->StatusBar->Panel(1));
    };
    form->Nav_Url->setEditText(QString::fromStdString(server.Url("/a.html")));
    form->Nav_BackClick(form->Nav_Go);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return form->StatusBar->Panel(1) == form->Msg(71); }));
    EXPECT_EQ(texts, (std::vector<String>{form->Msg(70)}));
    EXPECT_EQ(form->Nav_Url->count(), 1);
    // The same page again: no second history entry.
    form->BrowserDownloadComplete(form->Browser);
    EXPECT_EQ(form->Nav_Url->count(), 1);
}

TEST_F(SettingsDownloadTest, ClosingDuringADownloadWaitsForTheJobToLetGo)
{
    Online = true;
    server.Serve("/slow.jpg", {200, "OK", {}, Jpeg(64, 64), test::HttpReply::Kind::Trickle});
    form->Nav_Url->setEditText(QString::fromStdString(server.Url("/slow.jpg")));
    dialogs.Queue(mrYes);  // no document named: close all the same
    test::WhenReady(form->Widget(), [] { return DownloadStream->Size() > 0; }, [this] { form->Close(); });
    form->ApllyClick(nullptr);  // returns once the close has stopped the download
    EXPECT_FALSE(form->WallPaper->Busy);
    ASSERT_TRUE(test::ProcessEventsUntil([] { return Application->Terminated(); }));
    EXPECT_FALSE(form->WallPaper) << "the job is freed only after it ended";
    Online = false;
}

TEST_F(SettingsDownloadTest, AFileInTheOldCodePageReadsAsTextAndIsKeptAsItCame)
{
    LocalFile();
    const String reply = "Velvane\r\nthemesurl=http://127.0.0.1/temas/;.html;Computa\xE7\xE3o gr\xE1""fica;Psicod\xE9lico\r\n"
                         "bannerhint=Not\xED""cias\r\n";
    server.Serve("/kestrin.net", {200, "OK", {}, reply});
    form->NetConnection->Execute();
    EXPECT_EQ(ThemeItems(), (std::vector<String>{"Theme2:Computação gráfica", "Theme3:Psicodélico"}));
    EXPECT_EQ(form->NetConnection->BannerHint, "Notícias");
    EXPECT_EQ(ThemeAddress((*form->Themes)[0] + form->Temas->actions()[0]->text().toStdString() + (*form->Themes)[1]),
              "http://127.0.0.1/temas/computacao_grafica.html");
    EXPECT_EQ(ReadFileBytes(folder + "kestrin.net"), reply);

    // The next start reads the kept copy the same way.
    delete form;
    form = Application->CreateForm<TMainForm>();
    EXPECT_EQ(form->Banner->toolTip(), QString::fromUtf8("Notícias"));
}

TEST_F(SettingsDownloadTest, ASlowSettingsDownloadShowsTheBoxWhoseCancelStopsIt)
{
    test::Watchdog watchdog(45s, "cancelling a settings download");
    std::unique_ptr<TFormProgress> progress(Application->CreateForm<TFormProgress>());
    FormProgress = progress.get();
    bool shown = false;
    std::size_t asked = 0;  // requests the server must have before Cancel
    QTimer poll;  // presses Cancel once the box shows and the server has the request
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!progress->Visible() || server.Requests().size() < asked) return;
        shown = true;
        progress->Btn_Cancel->click();
    });
    poll.start(20);
    // The server takes the request and never answers.
    LocalFile("bannerjpg=" + server.Url("/banner.jpg") + "\r\n");
    server.Serve("/kestrin.net", {200, "OK", {}, "", test::HttpReply::Kind::Silent});
    server.Serve("/banner.jpg", {200, "OK", {}, "", test::HttpReply::Kind::Silent});
    form->NetConnection->ProgressDelay = 100;
    asked = 1;
    form->NetConnection->Execute();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(progress->Visible());
    EXPECT_FALSE(form->NetConnection->Busy);
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(73));
    // Stopped is stopped: the banner is not asked for after it.
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/kestrin.net");

    // With the download gone, the wallpaper job is no longer "Ocupado!": a
    // slow picture shows the box, and its Cancel stops that too.
    shown = false;
    asked = 2;
    Online = true;
    server.Serve("/slow.jpg", {200, "OK", {}, Jpeg(64, 64), test::HttpReply::Kind::Trickle});
    form->Nav_Url->setEditText(QString::fromStdString(server.Url("/slow.jpg")));
    form->ApllyClick(nullptr);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(progress->Visible());
    EXPECT_FALSE(form->WallPaper->Busy);
    EXPECT_FALSE(FileExists(WallPaperFile));
    FormProgress = nullptr;
    Online = false;
}

TEST_F(SettingsDownloadTest, ClosingStopsASettingsDownloadThatGetsNoAnswer)
{
    test::Watchdog watchdog(45s, "closing during a settings download");
    LocalFile("bannerjpg=" + server.Url("/banner.jpg") + "\r\n");
    server.Serve("/kestrin.net", {200, "OK", {}, "", test::HttpReply::Kind::Silent});
    server.Serve("/banner.jpg", {200, "OK", {}, "", test::HttpReply::Kind::Silent});
    dialogs.Queue(mrYes);  // no document named: close all the same
    test::WhenReady(form->Widget(), [this] { return server.Requests().size() == 1; }, [this] { form->Close(); });
    form->NetConnection->Execute();
    // The close goes through once the download has let go.
    ASSERT_TRUE(test::ProcessEventsUntil([this] { return !form->NetConnection; }));
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(SettingsDownloadTest, TheWatchAskedToStopStartsNoDownloadInsideTheClose)
{
    test::Watchdog watchdog(45s, "closing while the watch has a call pending");
    delete form;
    form = nullptr;
    LocalFile();
    server.Serve("/kestrin.net", {200, "OK", {}, "", test::HttpReply::Kind::Silent});
    {
        // A local network whose proxy (the silent server) answers the echo.
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
        reg.WriteInteger("cfg_ConType", 2);
        reg.WriteString("cfg_ProxyIP", "127.0.0.1");
        reg.WriteInteger("cfg_ProxyPort", server.Port());
    }
    TMainForm::WatchConnection = true;
    form = Application->CreateForm<TMainForm>();
    ASSERT_TRUE(form->SpyConnection);
    // The watch queues its first check on this thread, which serves it only
    // inside the close's wait.
    ASSERT_TRUE(test::Eventually(SynchronizeCallsWaiting));
    dialogs.Queue(mrYes);
    form->Close();
    EXPECT_FALSE(form->SpyConnection);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(SettingsDownloadTest, NavigationBringsTheBrowserPageToTheFront)
{
    server.Serve("/home.html", {200, "OK", {"Content-Type: text/html"}, "<html><body>home</body></html>"});
    form->NetConnection->HomeUrl = server.Url("/home.html");
    form->AddEntry("/home/u/a.jpg", true);
    for (TVELButton* button : {form->Nav_Back, form->Nav_Next, form->Nav_Refresh, form->Nav_Home}) {
        form->Notebook->setCurrentIndex(1);
        form->CheckList->setCurrentRow(0);
        button->click();
        EXPECT_EQ(form->Notebook->currentIndex(), 0) << button->objectName().toStdString();
        // As on entering the button: the apply job now takes the address box.
        EXPECT_EQ(form->CheckList->currentRow(), -1);
    }
    form->Notebook->setCurrentIndex(1);
    form->Home->trigger();
    EXPECT_EQ(form->Notebook->currentIndex(), 0);
    // The navigation buttons take the focus on a click, as the page switch
    // on entering them expects.
    EXPECT_EQ(form->Nav_Back->focusPolicy(), Qt::StrongFocus);

    // Hovering any tool-bar button shows its hint, the address bar's too.
    for (TVELButton* button : {form->Nav_Back, form->Nav_Go, form->Nav_AddToList}) {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(button, &enter);
        EXPECT_EQ(form->StatusBar->Panel(1), button->toolTip().toStdString());
    }
}
