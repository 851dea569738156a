#include "dialogs/Unt_About.h"
#include "settings/ShareMisc.h"
#include "tests/support/FreeWatcher.h"
#include "tests/support/QtApp.h"
#include "tests/support/RecordingShellOpener.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

using namespace velvane;
using velvane::test::ProcessEventsUntil;

namespace {

using test::FreeWatcher;

// Runs modal forms for real, in their own event loop.
class RealFormResponder : public test::ScriptedResponder {
public:
    ModalAnswer Answer(const ModalRequest& request) override
    {
        if (request.kind != ModalRequest::Kind::Form) return ScriptedResponder::Answer(request);
        requests.push_back(request);
        return {RunFormModally(request.form)};
    }
};

void Click(QWidget* widget, QPoint at = QPoint(2, 2), QPoint releaseAt = QPoint(2, 2))
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, widget->mapToGlobal(releaseAt), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureApplication(); }
    void TearDown() override
    {
        delete AboutBox;
        EXPECT_EQ(AboutBox, nullptr);
    }

    // As each program's about command makes it.
    TAboutBox* Open(const char* title, const char* version)
    {
        Application->SetTitle(title);
        AppVersion = version;
        AboutBox = new TAboutBox(nullptr);
        AboutBox->SiteDress->setText(QStringLiteral("http://www.velvane.example"));
        AboutBox->MailDress->setText(QStringLiteral("contato@velvane.example"));
        return AboutBox;
    }

    test::RecordingShellOpener desktop;
};

} // namespace

TEST_F(AboutTest, EditorBoxShowsVelvaneItsVersionAndIcon)
{
    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(icon));
    TAboutBox* box = Open("Velvane", "2.0.0.5");

    EXPECT_EQ(box->Caption(), "Velvane 2.0.   Sobre...");
    EXPECT_EQ(box->ProductNameBack->text(), "Velvane");
    EXPECT_EQ(box->ProductNameCover->text(), "Velvane");
    EXPECT_EQ(box->Label1->text(), QString::fromUtf8("Versão   "));
    EXPECT_EQ(box->Version->text(), "2.0.0.5");
    EXPECT_EQ(box->ProgramIcon->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(box->Widget()->size(), QSize(402, 214));

    EXPECT_EQ(box->SiteDress->toolTip(), "Visite nosso site");
    EXPECT_EQ(box->MailDress->toolTip(),
              QString::fromUtf8(
                  "envio-nos sua sugestões e ajude-nos a melhorar cada vez mais nossos produtos."));
}

TEST_F(AboutTest, AgentBoxShowsLumetraAndTheAgentsVersion)
{
    TAboutBox* box = Open("Lumetra", "2.0.0.4");

    EXPECT_EQ(box->ProductNameBack->text(), "Lumetra");
    EXPECT_EQ(box->ProductNameCover->text(), "Lumetra");
    EXPECT_EQ(box->Version->text(), "2.0.0.4");
}

TEST_F(AboutTest, LinkLabelsOpenTheirAddressesThroughTheShell)
{
    TAboutBox* box = Open("Velvane", "2.0.0.5");

    Click(box->SiteDress);
    Click(box->MailDress);
    box->MailDress->setText(QString());
    Click(box->MailDress);
    // A press that leaves the label before the release is no click.
    Click(box->SiteDress, QPoint(2, 2), QPoint(-20, 2));

    ASSERT_EQ(desktop.opened.size(), 3u);
    EXPECT_EQ(desktop.opened[0], "http://www.velvane.example");
    EXPECT_EQ(desktop.opened[1], "mailto:contato@velvane.example");
    EXPECT_EQ(desktop.opened[2], "mailto:");
}

TEST_F(AboutTest, ARefusedAddressIsNotReported)
{
    test::ScriptedResponder answers;
    TAboutBox* box = Open("Velvane", "2.0.0.5");
    box->SiteDress->setText(QStringLiteral("javascript:alert(1)"));

    Click(box->SiteDress);

    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(answers.requests.empty());
}

TEST_F(AboutTest, TheSiteLinkOpensWebPagesOnly)
{
    TAboutBox* box = Open("Velvane", "2.0.0.5");
    // The host comes from the downloaded settings file.
    for (const char* host : {"/etc", "file:///etc", "~/.ssh", "mailto:a@b.example", "www.velvane.example"}) {
        box->SiteDress->setText(QString::fromUtf8(host));
        Click(box->SiteDress);
    }
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], "http://www.velvane.example");
}

TEST_F(AboutTest, ClosingFreesTheBox)
{
    TAboutBox* box = Open("Velvane", "2.0.0.5");
    FreeWatcher watcher(box);
    box->Show();

    box->OKButton->click();

    EXPECT_FALSE(box->Widget() && box->Widget()->isVisible());
    ASSERT_TRUE(ProcessEventsUntil([&] { return watcher.freed; }));
    EXPECT_EQ(AboutBox, nullptr);
}

TEST_F(AboutTest, ShownModallyItEndsWithOKAndFreesItself)
{
    RealFormResponder answers;
    TAboutBox* box = Open("Velvane", "2.0.0.5");
    FreeWatcher watcher(box);
    QTimer::singleShot(0, box->OKButton, [box] { box->OKButton->click(); });

    box->ShowModal();

    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].caption, "Velvane 2.0.   Sobre...");
    ASSERT_TRUE(ProcessEventsUntil([&] { return watcher.freed; }));
    EXPECT_EQ(AboutBox, nullptr);
}

TEST_F(AboutTest, TheWindowsCloseButtonFreesItToo)
{
    TAboutBox* box = Open("Velvane", "2.0.0.5");
    FreeWatcher watcher(box);
    box->Show();

    box->Widget()->close();

    ASSERT_TRUE(ProcessEventsUntil([&] { return watcher.freed; }));
    EXPECT_EQ(AboutBox, nullptr);
}
