// The share-by-e-mail dialog against loopback mail servers: aiosmtpd for what
// a mail reader gets, a scripted server for refusals, cuts and stalls.

#include "dialogs/Unt_Maill.h"

#include "platform/net/SMTPClient.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/LastError.h"
#include "tests/support/LoopbackSockets.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>

#include <chrono>

using namespace velvane;
using velvane::test::ScriptedSmtpServer;
using velvane::test::SmtpScript;
using namespace std::chrono_literals;

namespace {

// Lines of the message table as "M<line>", so each text shows where it came from.
String Line(int line)
{
    switch (line) {
    case 45: return "M45 %s";
    case 63: return "Publicar no Velvane";
    case 67: return "publicar@velvane.example";
    default: return "M" + std::to_string(line);
    }
}

class FixedClock : public TClock {
public:
    TDateTime Now() const override { return EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 0); }
};

class MaillTest : public ::testing::Test {
protected:
    MaillTest()
    {
        test::EnsureApplication();
        SetClock(&clock);
        AtomicWriteFile(picturePath, picture);
        savedPump_ = TNMSMTP::PumpEvents;
        TNMSMTP::PumpEvents = [this] {
            if (savedPump_) savedPump_();
            if (onPump) onPump();
        };
    }
    ~MaillTest() override
    {
        if (alive) delete form;
        TNMSMTP::PumpEvents = savedPump_;
        SetClock(nullptr);
    }

    // As the share command fills it, pointed at a loopback server, and sent.
    void Send(int port, const std::function<void(TForm_Maill&)>& change = nullptr)
    {
        if (alive) delete form;
        form = new TForm_Maill(nullptr);
        alive = form->Widget();
        form->Constants = Line;
        form->MailUser = "ana@example.com";
        form->SMTP->Host = "127.0.0.1";
        form->SMTP->UserID = "ana";
        form->SMTP->Port = port;
        form->FallbackHost = "127.0.0.1";
        form->EditFile->SetText(picturePath);
        form->Adress->SetText("bia@example.org");
        form->Messages->setPlainText(QString::fromUtf8("Olá, veja que foto!"));
        form->Category->SetItemIndex(2);
        if (change) change(*form);
        form->Btn_SendClick(form->Btn_Send);
    }
    void SendAgain() { form->Btn_SendClick(form->Btn_Send); }
    String Status() const { return form->StatusLabel->text().toStdString(); }
    // The send is over and the dialog ready for the next.
    bool Idle() const { return !form->Sending() && form->Btn_Send->isEnabled() && !form->SMTP->Connected(); }

    test::Watchdog watchdog{90s, "share dialog test"};
    test::TempEnv env;
    FixedClock clock;
    test::ScriptedResponder answers;
    std::string picture = std::string("\xFF\xD8\xFF\xE0\0\r\n.\r\n", 10) + std::string(100000, 'p');
    std::string picturePath = env.Path("praia.jpg");
    TForm_Maill* form = nullptr;
    QPointer<QWidget> alive;
    std::function<void()> onPump;

private:
    std::function<void()> savedPump_;
};

} // namespace

TEST_F(MaillTest, PictureGoesAsAttachmentOrLinkAndEachSendStartsAfresh)
{
    test::SmtpSink sink;
    Send(sink.Port());
    EXPECT_EQ(Status(), "M52");
    EXPECT_EQ(form->Btn_Cancel->text(), "M53");
    EXPECT_GT(form->ProgBar->maximum(), 100000) << "the bar measured the message";
    EXPECT_TRUE(Idle());
    // Again from the same dialog, to another recipient, then as a link with
    // no category chosen.
    form->Adress->SetText("caio@example.org");
    SendAgain();
    form->EditFile->SetText("http://www.example.com/praia.jpg");
    form->Category->SetItemIndex(-1);
    SendAgain();
    EXPECT_EQ(Status(), "M52");

    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 3u);
    for (size_t i = 0; i < mails.size(); ++i) {
        EXPECT_EQ(mails[i].rcptTo, std::vector<std::string>{i == 0 ? "bia@example.org" : "caio@example.org"});
        EXPECT_EQ(mails[i].mailFrom, "ana@example.com");
        EXPECT_EQ(mails[i].subject, "Imagem compartilhada pelo Velvane");
        EXPECT_EQ(mails[i].date.substr(0, 19), "2024-02-29T23:59:58") << "a whole date and time";
        EXPECT_TRUE(mails[i].defects.empty());
        if (i == 2) break;
        EXPECT_EQ(mails[i].body, "Olá, veja que foto!\n\nM61Cidades");
        ASSERT_EQ(mails[i].attachments.size(), 1u);
        EXPECT_EQ(mails[i].attachments[0].fileName, "praia.jpg");
        EXPECT_TRUE(mails[i].attachments[0].bytes == picture);
    }
    EXPECT_TRUE(mails[2].attachments.empty());
    EXPECT_EQ(mails[2].body, "Olá, veja que foto!\n\nM61\nM62 http://www.example.com/praia.jpg\n");
}

TEST_F(MaillTest, MissingOrUnsafeFieldsSendNothing)
{
    ScriptedSmtpServer server;
    Send(server.Port(), [](TForm_Maill& f) { f.MailUser = ""; });
    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].text, "M57\rM58");
    EXPECT_EQ(form->ModalResult, mrCancel);
    Send(server.Port(), [](TForm_Maill& f) { f.Adress->SetText(""); });
    ASSERT_EQ(answers.requests.size(), 2u);
    EXPECT_EQ(answers.requests[1].text, "M59");
    EXPECT_EQ(form->ModalResult, mrNone) << "the dialog stays";

    // Without "www." an address is a file; a line break is no part of a name.
    for (const std::string file : {"http://example.com/praia.jpg", "/nao/existe.jpg", "praia.jpg\nX-Evil: 1"}) {
        Send(server.Port(), [&](TForm_Maill& f) { f.EditFile->SetText(file); });
        EXPECT_EQ(Status(), "M45 " + file);
        EXPECT_TRUE(Idle());
    }
    // One bare address each, sender and recipient, or nothing is sent.
    for (const std::string to : {"bia@example.org\r\nRCPT TO:<spy@example.net>",
                                 "a@b.org> NOTIFY=SUCCESS ORCPT=rfc822;x@y <c@d.org", "a@b.org c@d.org"}) {
        Send(server.Port(), [&](TForm_Maill& f) { f.Adress->SetText(to); });
        EXPECT_EQ(Status(), "M49[" + to + "]");
    }
    Send(server.Port(), [](TForm_Maill& f) { f.MailUser = "Ana <ana@example.com>"; });
    EXPECT_EQ(Status(), "M49[Ana <ana@example.com>]");
    server.Stop();
    EXPECT_FALSE(server.Received("MAIL"));
}

TEST_F(MaillTest, EachFailureShowsItsLineAndARefusedServerGivesWayToTheFallback)
{
    const struct {
        SmtpScript script;
        std::string host, status;
        int connections;
    } cases[] = {
        {SmtpScript(), "127.0.0.2", "M52", 1},  // nothing listens there: the fallback takes it
        {SmtpScript().Greeting("554 No service"), "127.0.0.1", "M46", 2},
        // Refused, the session is cut without waiting for the reply to QUIT.
        {SmtpScript().Reply("RCPT", "550 No such user").StallAt("QUIT"), "127.0.0.1", "M49[bia@example.org]", 1},
        {SmtpScript().DropAt("CONTENT"), "127.0.0.1", "M47", 1},
        {SmtpScript(), "nenhum servidor", "M48", 0},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(c.script);
        Send(server.Port(), [&](TForm_Maill& f) {
            f.SMTP->Host = c.host;
            if (c.host != "127.0.0.2") f.FallbackHost = c.host;
        });
        EXPECT_EQ(Status(), c.status);
        EXPECT_TRUE(Idle());
        EXPECT_EQ(form->ModalResult, mrNone);
        server.Stop();
        EXPECT_EQ(server.Connections(), c.connections) << c.status;
        EXPECT_FALSE(server.GaveUp()) << c.status;
        EXPECT_EQ(server.Messages().size(), c.status == "M52" ? 1u : 0u);
    }
    EXPECT_EQ(form->SMTP->UserID, "ana") << "the next send starts from the user's own account";

    // The publication mailbox typed in any letter case is confirmed as well.
    ScriptedSmtpServer server;
    answers.Queue(mrYes);
    Send(server.Port(), [](TForm_Maill& f) { f.Adress->SetText("Publicar@Velvane.EXAMPLE"); });
    EXPECT_EQ(Status(), "M52");
    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].text, "M54\rM55\rM56");
}

// The fallback cannot even be found (its name is none): the status says why
// the user's own server failed, and once that server is mended the same
// dialog sends through it.
TEST_F(MaillTest, EachSendStartsFromTheUsersOwnServerWhichTheStatusBlames)
{
    const struct {
        SmtpScript script;
        bool answers;  // the user's server takes the connection
        std::string status;
    } roads[] = {
        {SmtpScript(), false, "M47 " + SysErrorMessage(WSAECONNREFUSED)},
        {SmtpScript().Greeting(""), false, "M47 " + SysErrorMessage(WSAETIMEDOUT)},
        {SmtpScript().Greeting("554 No service"), true, "M46"},
    };
    for (const auto& road : roads) {
        ScriptedSmtpServer own(road.script);
        const bool silent = road.script.greeting.empty();
        test::UnansweredPort unanswered;
        const int port = road.answers ? own.Port() : silent ? unanswered.Port() : test::ClosedLoopbackPort();
        Send(port, [&](TForm_Maill& f) {
            f.FallbackHost = "nenhum servidor";
            f.SMTP->ReplyTimeout = 1;
        });
        EXPECT_EQ(Status(), road.status);
        EXPECT_TRUE(Idle());
        EXPECT_EQ(form->SMTP->Host, "127.0.0.1");
        EXPECT_EQ(form->SMTP->UserID, "ana");

        ScriptedSmtpServer mended;
        form->SMTP->Port = mended.Port();
        SendAgain();
        EXPECT_EQ(Status(), "M52") << road.status;
        mended.Stop();
        EXPECT_EQ(mended.Messages().size(), 1u);
        EXPECT_TRUE(mended.Received("MAIL FROM:<ana@example.com>"));
    }
}

// Cancel while connecting, or Cancel or a close while the message waits for its
// reply: the send stops without trying another server, Send is off until then,
// and the dialog waits for the stop before it closes.
TEST_F(MaillTest, CancelOrCloseStopsASendAndSendIsOffMeanwhile)
{
    const struct {
        SmtpScript script;
        size_t messages;  // arrived when the user acts
        bool closing;
    } cases[] = {{SmtpScript().Greeting(""), 0, false},
                 {SmtpScript().StallAt("."), 1, false},
                 {SmtpScript().StallAt("."), 1, true}};
    for (const auto& c : cases) {
        ScriptedSmtpServer server(c.script);
        bool sendWasOff = false, stayedOpen = false;
        onPump = [&] {
            if (server.Connections() != 1 || server.Messages().size() != c.messages || !form->SMTP->Connected()) return;
            sendWasOff = !form->Btn_Send->isEnabled();
            c.closing ? form->Close() : form->Btn_Cancel->click();
            stayedOpen = form->Widget()->isVisible();
        };
        Send(server.Port(), [](TForm_Maill& f) { f.Show(); });
        onPump = nullptr;
        EXPECT_TRUE(sendWasOff);
        EXPECT_TRUE(stayedOpen) << "the dialog waits for the send to stop";
        server.Stop();
        EXPECT_FALSE(server.GaveUp());
        EXPECT_EQ(server.Connections(), 1);
        if (!c.closing) {
            EXPECT_EQ(Status(), "M47");
            EXPECT_EQ(form->SMTP->UserID, "ana") << "the fallback was not prepared";
            EXPECT_TRUE(Idle());
            form->Btn_Cancel->click();  // not sending: it closes
        }
        EXPECT_TRUE(test::ProcessEventsUntil([this] { return !alive; }));
    }
}
