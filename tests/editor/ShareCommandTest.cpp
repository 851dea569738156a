// The share command: the dialog it opens, filled from the window, and a
// picture shared with the publisher through a loopback mail server.

#include "editor/Main.h"

#include "dialogs/Unt_Maill.h"
#include "platform/forms/Application.h"
#include "platform/net/SMTPClient.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

#include <chrono>

using namespace velvane;
using namespace std::chrono_literals;

namespace {

class ShareCommandTest : public testing::Test {
protected:
    ShareCommandTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;
        form = Application->CreateForm<TMainForm>();
        // "smtp." + a ".localhost" domain: libcurl takes it for this machine
        // without asking any name server.
        form->Cfg.cfg_MailUser = "ana@localhost";
        form->Temas->addAction(QStringLiteral("&Carros"));
        form->Temas->addAction(QString::fromUtf8("Computação &gráfica"));
        AtomicWriteFile(picturePath, picture);
        auto* item = new QListWidgetItem(QString::fromStdString(picturePath));
        form->CheckList->addItem(item);
        form->CheckList->setCurrentItem(item);
        item->setSelected(true);
    }
    ~ShareCommandTest() override
    {
        delete form;
        TMainForm::WatchConnection = true;
    }

    // Fills the dialog the command opens as a user would and presses Send;
    // the dialog's own box gets the given answer.
    void ShareWithPublisher(int port, int confirmation)
    {
        answers.Queue(confirmation);
        answers.Queue(mrCancel);  // the dialog, once closed
        answers.OnRequest = [this, port](const ModalRequest& request) {
            if (request.kind != ModalRequest::Kind::Form) return;
            auto* dialog = static_cast<TForm_Maill*>(request.form);
            EXPECT_EQ(dialog->SMTP->Host, "smtp.localhost");
            EXPECT_EQ(dialog->SMTP->UserID, "ana");
            EXPECT_EQ(dialog->EditFile->Text(), picturePath);
            ASSERT_EQ(dialog->Category->count(), 2);
            EXPECT_EQ(dialog->Category->itemText(0), "Carros");
            EXPECT_EQ(dialog->Category->itemText(1), QString::fromUtf8("Computação gráfica"));
            EXPECT_EQ(dialog->Category->ItemIndex(), -1);
            dialog->SMTP->Port = port;
            dialog->FallbackHost = "127.0.0.1";
            dialog->Category->SetItemIndex(1);
            dialog->Adress->SetText("Publicar no Velvane");
            dialog->Btn_Send->click();
            finalStatus = dialog->StatusLabel->text().toStdString();
        };
        form->CompartilharImagemClick(form->CompartilharImagem);
    }

    test::Watchdog watchdog{60s, "share command test"};
    test::TempEnv env;
    test::ScriptedResponder answers;
    TMainForm* form = nullptr;
    std::string picturePath = env.Path("pôr do sol.jpg");
    std::string picture = std::string(50000, '\x5A') + "\r\n.\r\n";
    std::string finalStatus;
};

} // namespace

TEST_F(ShareCommandTest, OpensForAChosenEntryAndReachesThePublicationMailboxOnlyWhenConfirmed)
{
    form->CheckList->clearSelection();
    form->CompartilharImagemClick(form->CompartilharImagem);
    EXPECT_TRUE(answers.requests.empty());

    form->CheckList->item(0)->setSelected(true);
    test::ScriptedSmtpServer server;
    ShareWithPublisher(server.Port(), mrNo);
    ASSERT_EQ(answers.requests.size(), 2u);
    EXPECT_EQ(answers.requests[1].text, form->Msg(54) + "\r" + form->Msg(55) + "\r" + form->Msg(56));
    EXPECT_EQ(finalStatus, " Enviar imagem por e-mail");
    server.Stop();
    EXPECT_EQ(server.Connections(), 0);

    test::SmtpSink sink;
    ShareWithPublisher(sink.Port(), mrYes);
    EXPECT_EQ(finalStatus, "Imagem enviada com sucesso.");
    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].rcptTo, std::vector<std::string>{VELVANE_PUBLISH_MAIL});
    EXPECT_EQ(mails[0].mailFrom, "ana@localhost");
    EXPECT_EQ(mails[0].body, "\n\nTipo de imagem:Computação gráfica");
    ASSERT_EQ(mails[0].attachments.size(), 1u);
    EXPECT_EQ(mails[0].attachments[0].fileName, "pôr do sol.jpg");
    EXPECT_TRUE(mails[0].attachments[0].bytes == picture);
}
