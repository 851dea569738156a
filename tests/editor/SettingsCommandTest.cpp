// The settings command and the connection watch of the editor's window.

#include "editor/Main.h"

#include "dialogs/Config.h"
#include "dialogs/NumEdit.h"
#include "editor/NetConnection.h"
#include "editor/SpyConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/desktop/DesktopProxy.h"
#include "platform/net/IPWatch.h"
#include "platform/rtl/AppPaths.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/win/Registry.h"
#include "platform/win/WinUser.h"
#include "tests/support/Locales.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"
#include "tests/support/RecordingDesktopCalls.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <net/if.h>

#include <QComboBox>

#include <atomic>
#include <filesystem>
#include <thread>

using namespace velvane;

namespace {

class SettingsCommandTest : public testing::Test {
protected:
    SettingsCommandTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;
        SetDesktopProxySources({[](const String&, const String&) { return std::optional<String>(); },
                                [](const String&) { return std::optional<String>(); }});
        Online = false;
        form = Application->CreateForm<TMainForm>();
    }
    ~SettingsCommandTest() override
    {
        delete form;
        TMainForm::WatchConnection = true;
        SetDesktopProxySources({});
        Online = false;
    }

    // Fills the dialog as a user would, then answers it.
    void AnswerSettings(int result, const std::function<void(TCfgForm&)>& edit)
    {
        dialogs.OnRequest = [edit](const ModalRequest& r) {
            if (r.kind == ModalRequest::Kind::Form) edit(*static_cast<TCfgForm*>(r.form));
        };
        dialogs.Queue(result);
    }

    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    TMainForm* form = nullptr;
};

} // namespace

TEST_F(SettingsCommandTest, OkCopiesEverySettingOutSavesAndChecksAgain)
{
    form->Cfg.cfg_MailUser = "ana@example.com";
    form->Cfg.cfg_Priority = 1;
    AnswerSettings(mrOk, [](TCfgForm& d) {
        EXPECT_EQ(d.MailDerss->Text(), "ana@example.com");  // copied in
        EXPECT_EQ(d.TrackPriority->Position(), 1);
        d.MailDerss->SetText("bia@example.com");
        d.Atualization->SetItemIndex(2);
        d.TimeLength->SetText("6");
        d.Order->SetItemIndex(1);
        d.ConType->SetItemIndex(0);
        d.ProXY_IP->SetText("proxy.example.com");
        d.ProXY_Port->SetValue(3128);
        d.Activate->SetChecked(true);
        d.SilentDownload->SetChecked(true);
        d.TrackPriority->SetPosition(3);
    });
    form->SetUpClick(form->SetUp);
    const TConfig& c = form->Cfg;
    EXPECT_EQ(c.cfg_MailUser, "bia@example.com");
    EXPECT_EQ(c.cfg_Action, 2);
    EXPECT_EQ(c.cfg_TimeLenght, 6);
    EXPECT_EQ(c.cfg_Order, 1);
    EXPECT_EQ(c.cfg_ProxyIP, "proxy.example.com");
    EXPECT_EQ(c.cfg_ProxyPort, 3128);
    EXPECT_TRUE(c.cfg_Activate);
    EXPECT_TRUE(c.cfg_Silent);
    EXPECT_EQ(c.cfg_Priority, 3);
    EXPECT_TRUE(test::StoredSetting("cfg_MailUser"));
    // Offline after the check: the status says so and nothing is asked.
    EXPECT_EQ(form->StatusBar->Panel(0), form->Msg(6));
    EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(SettingsCommandTest, CancelOrTextThatDoesNotConvertChangesNothing)
{
    const TConfig before = form->Cfg;
    AnswerSettings(mrCancel, [](TCfgForm& d) { d.MailDerss->SetText("bia@example.com"); });
    form->SetUpClick(nullptr);
    EXPECT_EQ(form->Cfg, before);
    EXPECT_FALSE(test::StoredSetting("cfg_MailUser"));
    EXPECT_EQ(form->StatusBar->Panel(0), "Procurando conexão...") << "no check after Cancel";

    // The dialog refuses such an OK itself; should one come through, not a
    // single setting is taken.
    AnswerSettings(mrOk, [](TCfgForm& d) {
        d.MailDerss->SetText("bia@example.com");
        d.TimeLength->SetText("doze");
    });
    EXPECT_THROW(form->SetUpClick(nullptr), EConvertError);
    EXPECT_EQ(form->Cfg, before);
    EXPECT_FALSE(test::StoredSetting("cfg_MailUser"));
}

TEST_F(SettingsCommandTest, ReloadingWhileAJobRunsAnswersBusy)
{
    // A network connection whose proxy answers the echo: online.
    AnswerSettings(mrOk, [](TCfgForm& d) {
        d.ConType->SetItemIndex(2);
        d.ProXY_IP->SetText("127.0.0.1");
        d.ProXY_Port->SetValue(8080);
    });
    dialogs.Queue(mrYes);  // reload the server's settings now
    form->WallPaper->Busy = true;
    form->SetUpClick(nullptr);
    ASSERT_TRUE(Online);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].text,
              "A prioridade de download só terá efeito após a re-inicialização do aplicativo! \r\r Recarregar "
              "parametros da web abora?");
    EXPECT_EQ(dialogs.requests[1].buttons, mbYesNo);
    EXPECT_EQ(form->StatusBar->Panel(1), "Ocupado!");
    EXPECT_TRUE(form->WallPaper->Busy) << "the running job keeps its flag";
}

TEST_F(SettingsCommandTest, AnAddressHistoryThatCannotBeWrittenIsToldOnceAndLeavesUsOnline)
{
    // Where the history goes, something that is no file: it cannot be read
    // or written.
    std::filesystem::create_directories(GetAppFilePath() + "iphist.dat/x");
    form->IdIPWatch->InterfaceSource = [] {
        return std::vector<TNetInterfaceAddress>{{"eth0", IFF_UP | IFF_RUNNING, "192.0.2.5"}};
    };
    form->Cfg.cfg_ConType = 4;
    for (int pass = 0; pass < 3; ++pass) {
        form->CheckConnection();
        EXPECT_TRUE(Online) << pass;
    }
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].type, TMsgDlgType::mtError);
    EXPECT_NE(dialogs.requests[0].text.find("iphist.dat"), String::npos) << dialogs.requests[0].text;
}

TEST_F(SettingsCommandTest, TheProxyTypeStillOffersTheBrowsersProxyWhenReopened)
{
    form->Cfg.cfg_ConType = 3;
    form->Cfg.cfg_ProxyIP = "127.0.0.1";
    form->Cfg.cfg_ProxyPort = 3128;
    bool offered = false;
    AnswerSettings(mrCancel, [&](TCfgForm& d) { offered = d.AutoProxy->isEnabled() && d.ProXY_IP->isEnabled(); });
    form->SetUpClick(nullptr);
    EXPECT_TRUE(offered);
}

TEST_F(SettingsCommandTest, ConfirmedValuesAreKeptAndCheckedWhenTheStoreRefusesThem)
{
    form->UpdateWinRegistry(nullptr);
    test::StoreSql(test::kRefuseSettingsWrites);
    AnswerSettings(mrOk, [](TCfgForm& d) {
        d.MailDerss->SetText("bia@example.com");
        d.ConType->SetItemIndex(2);
        d.ProXY_IP->setEnabled(true);
        d.ProXY_Port->setEnabled(true);
        d.ProXY_IP->SetText("127.0.0.1");
        d.ProXY_Port->SetValue(8080);
    });
    dialogs.Queue(mrNo);  // online now: no reload
    form->SetUpClick(nullptr);
    EXPECT_EQ(form->Cfg.cfg_MailUser, "bia@example.com");
    EXPECT_EQ(form->Cfg.cfg_ConType, 2);
    EXPECT_TRUE(Online) << "checked with the new values";
    ASSERT_GE(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].type, TMsgDlgType::mtError) << dialogs.requests[1].text;
}

// A new installation has no settings file: the watch finds the PC online and
// stays so, the status and the apply agree, and a reload asked for says it
// could not update instead of failing.
TEST_F(SettingsCommandTest, WithoutASettingsFileTheWatchKeepsThePcOnlineForTheApply)
{
    test::LoopbackHttpServer proxy;  // answers the echo too
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    proxy.Serve("/praia.jpg", {200, "OK", {}, EncodeJpeg(picture)});
    test::ScopedEnv sway("XDG_CURRENT_DESKTOP", "sway");
    test::RecordingDesktopCalls desktop;
    SetDesktopCalls(&desktop);
    form->Cfg.cfg_ConType = 2;
    form->Cfg.cfg_ProxyIP = "127.0.0.1";
    form->Cfg.cfg_ProxyPort = proxy.Port();
    {
        TSpyConnection watch(form);
        const std::uint64_t handOvers = SynchronizeCallsMade();
        // Two passes, then it waits for the end; the first one's pause lasts
        // until the main thread has run it.
        std::atomic<int> passes{0};
        watch.Pause = [&](int) {
            for (++passes; !watch.Terminated() && (passes >= 2 || SynchronizeCallsWaiting());)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        watch.Resume();
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return passes >= 2 && !SynchronizeCallsWaiting(); }));
        EXPECT_EQ(SynchronizeCallsMade() - handOvers, 2u) << "check, status, download, status: one hand-over a pass";
        EXPECT_TRUE(Online);
        EXPECT_EQ(form->StatusBar->Panel(0), form->Msg(3));
        form->Nav_Url->setEditText(QString::fromStdString(proxy.Url("/praia.jpg")));
        form->ApllyClick(form->Preview);
        EXPECT_TRUE(dialogs.requests.empty());
        EXPECT_EQ(proxy.Requests().size(), 1u) << "the picture alone: no address to fetch settings from";
        EXPECT_EQ(desktop.log.size(), 1u);
        // The watch's next try shows nothing: the apply's result stays.
        const String applied = form->StatusBar->Panel(1);
        EXPECT_FALSE(applied.empty());
        form->NetConnection->Execute();
        EXPECT_EQ(form->StatusBar->Panel(1), applied);
    }
    SetDesktopCalls(nullptr);

    AnswerSettings(mrOk, [&](TCfgForm& d) { d.ConType->SetItemIndex(2), d.ProXY_IP->SetText("127.0.0.1"); });
    dialogs.Queue(mrYes);  // reload the server's settings now
    form->SetUpClick(nullptr);
    EXPECT_EQ(dialogs.requests.size(), 2u) << "no error box after the question";
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(73));
}
