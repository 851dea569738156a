// The share-by-e-mail dialog against loopback mail servers: aiosmtpd for what
// a mail reader gets, a scripted server for refusals, cuts and stalls.

#include "dialogs/Unt_Maill.h"

#include "platform/net/SMTPClient.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedZone.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/ScriptedResponder.h"
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
using velvane::test::SmtpSink;
using namespace std::chrono_literals;

namespace {

constexpr char kPublication[] = "publicar@velvane.example";

// Lines of the message table as "M<line>", so each text shows where it came from.
String Line(int line)
{
    switch (line) {
    case 45: return "M45 %s";
    case 63: return "Publicar no Velvane";
    case 67: return kPublication;
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

    // As the share command fills it, pointed at a loopback server.
    TForm_Maill* Open(int port)
    {
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
        return form;
    }
    String Status() const { return form->StatusLabel->text().toStdString(); }
    // The dialog is done with its send and ready for the next.
    void ExpectIdle() const
    {
        EXPECT_FALSE(form->Sending());
        EXPECT_TRUE(form->Btn_Send->isEnabled());
        EXPECT_FALSE(form->SMTP->Connected());
    }
    // Lets a form that closed itself go.
    bool Freed()
    {
        return test::ProcessEventsUntil([this] { return !alive; });
    }

    test::Watchdog watchdog{90s, "share dialog test"};
    test::TempEnv env;
    test::ScopedZone zone{"UTC0"};
    FixedClock clock;
    test::ScriptedResponder answers;
    std::string picture = std::string("\xFF\xD8\xFF\xE0 foto \0\r\n.\r\n", 16) + std::string(100000, 'p');
    std::string picturePath = [this] {
        const std::string path = env.Path("praia.jpg");
        AtomicWriteFile(path, picture);
        return path;
    }();
    TForm_Maill* form = nullptr;
    QPointer<QWidget> alive;
    std::function<void()> onPump;

private:
    std::function<void()> savedPump_;
};

} // namespace

TEST_F(MaillTest, HoldsItsControlsAndStoredSettings)
{
    Open(25);
    delete form;
    form = new TForm_Maill(nullptr);
    alive = form->Widget();
    EXPECT_EQ(form->Caption(), "Compartilhar imagem");
    EXPECT_EQ(form->Widget()->size(), QSize(518, 372));
    EXPECT_EQ(form->EditFile->EditLabel->text(), "Arquivo ou URL da imagem");
    EXPECT_EQ(form->CategoryLabel->text(), "Categoria");
    EXPECT_EQ(form->MessagesLabel->text(), "Mensagem");
    EXPECT_EQ(form->AdressLabel->text(), QString::fromUtf8("destinatário"));
    ASSERT_EQ(form->Category->count(), 12);
    EXPECT_EQ(form->Category->itemText(3), QString::fromUtf8("Computação gráfica"));
    EXPECT_EQ(form->Category->itemText(11), "Outros");
    EXPECT_EQ(form->Category->ItemIndex(), -1);
    ASSERT_EQ(form->Adress->count(), 1);
    EXPECT_EQ(form->Adress->itemText(0), "Publicar no Velvane");
    EXPECT_EQ(form->Adress->Text(), "");
    EXPECT_EQ(form->Btn_Send->text(), "&Enviar");
    EXPECT_EQ(form->Btn_Cancel->text(), "Cancelar");
    EXPECT_EQ(form->StatusLabel->text(), " Enviar imagem por e-mail");
    EXPECT_EQ(form->ProgBar->maximum(), 100);
    EXPECT_EQ(form->SMTP->Port, 25);
    EXPECT_EQ(form->SMTP->PostMessage.Subject, "Imagem compartilhada pelo Velvane");
    EXPECT_EQ(form->SMTP->PostMessage.LocalProgram, "Velvane");
    EXPECT_EQ(form->FallbackHost, VELVANE_FALLBACK_SMTP_HOST);
}

TEST_F(MaillTest, PictureArrivesAsAnAttachmentAndASecondSendCarriesNothingOver)
{
    SmtpSink sink;
    Open(sink.Port());
    form->Btn_SendClick(form->Btn_Send);

    EXPECT_EQ(Status(), "M52");
    EXPECT_EQ(form->Btn_Cancel->text(), "M53");
    EXPECT_EQ(form->Btn_Cancel->Kind(), TBitBtnKind::bkClose);
    EXPECT_EQ(form->ProgBar->value(), 0);
    EXPECT_GT(form->ProgBar->maximum(), 100000) << "the bar measured the message";
    EXPECT_EQ(form->ModalResult, mrNone);
    EXPECT_EQ(form->SMTP->PostMessage.Body.Count(), 0);
    ExpectIdle();

    form->Adress->SetText("caio@example.org");
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_EQ(Status(), "M52");

    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 2u);
    for (const test::ReceivedMail& mail : mails) {
        EXPECT_EQ(mail.mailFrom, "ana@example.com");
        EXPECT_EQ(mail.fromName, "ana");
        EXPECT_EQ(mail.subject, "Imagem compartilhada pelo Velvane");
        EXPECT_EQ(mail.date, "2024-02-29T23:59:58+00:00");
        EXPECT_EQ(mail.body, "Olá, veja que foto!\n\nM61Cidades");
        ASSERT_EQ(mail.attachments.size(), 1u);
        EXPECT_EQ(mail.attachments[0].fileName, "praia.jpg");
        EXPECT_TRUE(mail.attachments[0].bytes == picture);
        EXPECT_TRUE(mail.defects.empty());
    }
    EXPECT_EQ(mails[0].rcptTo, std::vector<std::string>{"bia@example.org"});
    EXPECT_EQ(mails[1].rcptTo, std::vector<std::string>{"caio@example.org"});
    EXPECT_EQ(mails[1].to, std::vector<std::string>{"caio@example.org"});
}

TEST_F(MaillTest, WebAddressGoesAsALinkLineAndNoCategoryLeavesItsLineBare)
{
    SmtpSink sink;
    Open(sink.Port());
    form->EditFile->SetText("http://www.example.com/praia.jpg");
    form->Category->SetItemIndex(-1);
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_EQ(Status(), "M52");

    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(mails[0].attachments.empty());
    EXPECT_EQ(mails[0].body, "Olá, veja que foto!\n\nM61\nM62 http://www.example.com/praia.jpg\n");
    EXPECT_EQ(mails[0].bodyCharset, "utf-8");
}

TEST_F(MaillTest, AnythingElseIsAFileAndAMissingOneIsNamed)
{
    ScriptedSmtpServer server;
    for (const std::string file : {"http://example.com/praia.jpg", "/nao/existe.jpg", "praia.jpg\nX-Evil: 1"}) {
        Open(server.Port());
        form->EditFile->SetText(file);
        form->Btn_SendClick(form->Btn_Send);
        EXPECT_EQ(Status(), "M45 " + file);
        ExpectIdle();
        delete form;
    }
    server.Stop();
    EXPECT_FALSE(server.Received("MAIL"));
}

TEST_F(MaillTest, WithoutSenderOrRecipientNothingIsSent)
{
    ScriptedSmtpServer server;
    Open(server.Port());
    form->MailUser = "";
    form->Btn_SendClick(form->Btn_Send);
    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(answers.requests[0].text, "M57\rM58");
    EXPECT_EQ(form->ModalResult, mrCancel);

    delete form;
    Open(server.Port());
    form->Adress->SetText("");
    form->Btn_SendClick(form->Btn_Send);
    ASSERT_EQ(answers.requests.size(), 2u);
    EXPECT_EQ(answers.requests[1].type, TMsgDlgType::mtWarning);
    EXPECT_EQ(answers.requests[1].text, "M59");
    EXPECT_EQ(form->ModalResult, mrNone) << "the dialog stays";
    EXPECT_EQ(Status(), " Enviar imagem por e-mail");
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(MaillTest, PublicationIsConfirmedFirst)
{
    ScriptedSmtpServer server;
    Open(server.Port());
    form->Adress->SetText("Publicar no Velvane");
    answers.Queue(mrNo);
    form->Btn_SendClick(form->Btn_Send);
    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(answers.requests[0].buttons, mbYesNo);
    EXPECT_EQ(answers.requests[0].text, "M54\rM55\rM56");
    EXPECT_TRUE(Freed()) << "No closes the dialog";
    EXPECT_EQ(server.Connections(), 0);

    // Typed, in any letter case, the mailbox asks as well.
    for (const char* typed : {"Publicar no Velvane", "Publicar@Velvane.EXAMPLE"}) {
        Open(server.Port());
        form->Adress->SetText(typed);
        answers.Queue(mrYes);
        form->Btn_SendClick(form->Btn_Send);
        EXPECT_EQ(Status(), "M52");
        delete form;
    }
    EXPECT_EQ(answers.requests.size(), 3u);
    server.Stop();
    const auto lines = server.Commands();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RCPT TO:<publicar@velvane.example>"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RCPT TO:<Publicar@Velvane.EXAMPLE>"), 1);
}

TEST_F(MaillTest, RefusedServerGivesWayToTheFallbackWithoutUserId)
{
    ScriptedSmtpServer server;
    Open(server.Port());
    // Nothing listens on this loopback address.
    form->SMTP->Host = "127.0.0.2";
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_EQ(Status(), "M52");
    EXPECT_EQ(form->SMTP->Host, "127.0.0.1");
    EXPECT_EQ(form->SMTP->UserID, "");
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_NE(server.Messages()[0].find("From: \"ana\" <ana@example.com>"), std::string::npos);
}

TEST_F(MaillTest, EachFailureShowsItsLine)
{
    struct Case {
        SmtpScript script;
        std::string host;
        std::string status;
        int connections;
    } cases[] = {
        {SmtpScript().Greeting("554 No service"), "127.0.0.1", "M46", 2},  // the fallback refuses too
        {SmtpScript().Reply("RCPT", "550 No such user"), "127.0.0.1", "M49[bia@example.org]", 1},
        {SmtpScript().DropAt("CONTENT"), "127.0.0.1", "M47", 1},
        {SmtpScript(), "nenhum servidor", "M48", 0},
    };
    for (Case& c : cases) {
        ScriptedSmtpServer server(c.script);
        Open(server.Port());
        form->SMTP->Host = c.host;
        form->FallbackHost = c.host;
        form->Btn_SendClick(form->Btn_Send);
        EXPECT_EQ(Status(), c.status);
        ExpectIdle();
        EXPECT_EQ(form->ModalResult, mrNone);
        server.Stop();
        EXPECT_EQ(server.Connections(), c.connections) << c.status;
        EXPECT_TRUE(server.Messages().empty());
        delete form;
    }
}

TEST_F(MaillTest, RecipientWithALineBreakIsRefusedBeforeAnythingIsSent)
{
    ScriptedSmtpServer server;
    Open(server.Port());
    form->Adress->SetText("bia@example.org\r\nRCPT TO:<spy@example.net>");
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_EQ(Status(), "M49[bia@example.org\r\nRCPT TO:<spy@example.net>]");
    server.Stop();
    EXPECT_FALSE(server.Received("MAIL"));
    EXPECT_FALSE(server.Received("RCPT"));
}

TEST_F(MaillTest, CancelStopsTheSendAndTheDialogStays)
{
    ScriptedSmtpServer server(SmtpScript().StallAt("."));
    Open(server.Port());
    bool sendDisabled = false;
    onPump = [&] {
        if (server.Messages().size() != 1 || !form->SMTP->Connected()) return;
        sendDisabled = !form->Btn_Send->isEnabled();
        form->Btn_Cancel->click();
    };
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_TRUE(sendDisabled) << "Send is off while a send runs";
    EXPECT_EQ(Status(), "M47");
    ExpectIdle();
    test::ProcessEventsFor(100ms);
    EXPECT_TRUE(alive) << "the dialog stays";
    server.Stop();
    EXPECT_FALSE(server.GaveUp());

    // Not sending, the button closes the dialog.
    form->Btn_Cancel->click();
    EXPECT_TRUE(Freed());
}

TEST_F(MaillTest, ClosingDuringASendStopsItFirstAndThenCloses)
{
    ScriptedSmtpServer server(SmtpScript().StallAt("."));
    Open(server.Port());
    form->Show();
    bool stillOpen = false;
    onPump = [&] {
        if (server.Messages().size() != 1 || !form->SMTP->Connected()) return;
        form->Close();
        stillOpen = form->Widget()->isVisible();
    };
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_TRUE(stillOpen) << "the dialog waits for the send to stop";
    EXPECT_TRUE(Freed());
    server.Stop();
    EXPECT_FALSE(server.GaveUp());
}

TEST_F(MaillTest, CancelWhileConnectingTriesNoOtherServer)
{
    ScriptedSmtpServer server(SmtpScript().Greeting(""));
    Open(server.Port());
    onPump = [&] {
        if (server.Connections() == 1 && form->SMTP->Connected()) form->Btn_Cancel->click();
    };
    form->Btn_SendClick(form->Btn_Send);
    EXPECT_EQ(Status(), "M47");
    EXPECT_EQ(form->SMTP->UserID, "ana") << "the fallback was not prepared";
    ExpectIdle();
    server.Stop();
    EXPECT_EQ(server.Connections(), 1);
}
