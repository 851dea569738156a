// The editor's window driven headless, with scripted answers to its
// questions and file dialogs.

#include "editor/Main.h"

#include "editor/FileSet.h"

#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/Registry.h"
#include "platform/win/WinError.h"
#include "settings/WinRegistry.h"
#include "tests/support/Locales.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>

#include <filesystem>

using namespace velvane;
using testing::HasSubstr;

namespace {

class MainFormTest : public testing::Test {
protected:
    MainFormTest()
    {
        test::EnsureApplication();
        TMainForm::WatchConnection = false;  // these tests drive the window by hand
    }
    ~MainFormTest() override { delete form; }

    TMainForm* Start()
    {
        delete form;
        form = Application->CreateForm<TMainForm>();
        return form;
    }

    // What the store holds under the settings key.
    TRegistry& Stored()
    {
        raw.CloseKey();
        raw.SetRootKey(HKEY_CURRENT_USER);
        raw.OpenKey("Software\\Velvane", true);
        return raw;
    }

    std::vector<String> Entries() const
    {
        std::vector<String> texts;
        for (int i = 0; i < form->CheckList->count(); ++i) {
            QListWidgetItem* item = form->CheckList->item(i);
            texts.push_back((item->checkState() == Qt::Checked ? "+" : "-") + item->text().toStdString());
        }
        return texts;
    }

    void Select(int row)
    {
        form->CheckList->setCurrentRow(row);
        form->CheckList->item(row)->setSelected(true);
    }

    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    TMainForm* form = nullptr;
    TRegistry raw;
};

} // namespace

TEST_F(MainFormTest, AFirstStartIsANormalStart)
{
    Start();
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
    EXPECT_EQ(form->Caption(), "Velvane 2.0");
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->Width(), 800);
    EXPECT_EQ(form->Height(), 600);
    EXPECT_EQ(form->StatusBar->Panel(0), "Procurando conexão...");
    EXPECT_EQ(form->Cfg, TConfig{});
    EXPECT_EQ(form->CheckList->count(), 0);
    EXPECT_EQ(WallPaperFile, env.DataHome() + "/velvane/wallpaper.bmp");

    // The message table is the window's, word for word.
    EXPECT_EQ(form->Constants->document()->blockCount(), 79);
    EXPECT_EQ(form->Msg(5), "Velvane 2.0 [%s]");
    EXPECT_EQ(form->Msg(14), "Tipo de imagme inválida para download.");
    EXPECT_EQ(form->Msg(15), "Apenas arquivos com extensão \"JPG\" ou \"BMP\" são válidas para download.");
    EXPECT_EQ(form->Msg(67), VELVANE_PUBLISH_MAIL);
    EXPECT_EQ(form->Msg(77), "Finalizando, aguarde...");
    EXPECT_EQ(form->Msg(78), "");
    EXPECT_FALSE(form->Constants->isVisibleTo(form->Widget()));
    EXPECT_EQ(TagOf(form->AppExit), 27);
    EXPECT_EQ(form->Preview->toolTip().toStdString(), "Aplicar imagem ao papel de parede");
}

TEST_F(MainFormTest, TheErrorHandlerSpeaksOnlyForRealSystemErrors)
{
    Start();
    for (std::int32_t code : {0, 10049, 10065, -5, 10060}) {
        form->Busy = true;
        form->WallPaper->Busy = true;
        form->NetConnection->Busy = true;
        SetLastError(static_cast<DWORD>(code));
        form->ApplicationEventsException(Application, Exception("Tempo esgotado"));
        EXPECT_FALSE(form->Busy) << code;
        EXPECT_FALSE(form->WallPaper->Busy) << code;
        EXPECT_FALSE(form->NetConnection->Busy) << code;
    }
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(dialogs.requests[0].buttons, mbOK);
    EXPECT_EQ(dialogs.requests[0].text,
              "Erro Nº 10060 | Tempo esgotado | \r Se este erro ocorrer periodicamente, por favor, "
              "informe-nos através do e-mail " VELVANE_SUPPORT_MAIL ".");
}

TEST_F(MainFormTest, ErrorsReachingTheEventLoopGoToTheHandler)
{
    Start();
    form->Busy = true;
    SetLastError(0);
    QMetaObject::invokeMethod(form->Widget(), [] { throw EConvertError("'x' is not a valid integer value"); },
                              Qt::QueuedConnection);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return !form->Busy; }));
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(MainFormTest, DocumentsAreOpenedEditedSavedAndClosed)
{
    Start();
    String path = env.Path("viagem.vnx");
    AtomicWriteFile(path, "1|/home/u/a.jpg\r\n0|http://www.example.com/b.jpg\r\n1|/home/u/c|d.bmp\r\n");
    dialogs.Queue(ModalAnswer(mrOk, path));
    form->AbrirClick(nullptr);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, ModalRequest::Kind::OpenFile);
    EXPECT_EQ(dialogs.requests[0].filter, "Velvane (*.vnx)|*.vnx");
    EXPECT_EQ(dialogs.requests[0].defaultExt, "vnx");
    EXPECT_EQ(Entries(), (std::vector<String>{"+/home/u/a.jpg", "-http://www.example.com/b.jpg", "+/home/u/c|d.bmp"}));
    EXPECT_EQ(form->Cfg.cfg_FileInUse, path);
    EXPECT_EQ(form->Caption(), "Velvane 2.0 [" + path + "]");
    EXPECT_EQ(form->Notebook->currentIndex(), 1);
    EXPECT_FALSE(form->Modified);

    // Moving past either end changes nothing.
    Select(0);
    form->MoveToDownClick(form->MoverParaCima);
    EXPECT_FALSE(form->Modified);
    Select(2);
    form->MoveToDownClick(form->MoverParaBaixo);
    EXPECT_FALSE(form->Modified);

    form->CheckList->item(1)->setCheckState(Qt::Checked);  // a click on the check box
    EXPECT_TRUE(form->Modified);
    Select(0);
    form->MoveToDownClick(form->MoverParaBaixo);
    EXPECT_EQ(Entries(), (std::vector<String>{"+http://www.example.com/b.jpg", "+/home/u/a.jpg", "+/home/u/c|d.bmp"}));
    EXPECT_EQ(form->CheckList->currentRow(), 1);
    form->SalvarClick(nullptr);
    EXPECT_FALSE(form->Modified);
    EXPECT_EQ(ReadFileBytes(path), "1|http://www.example.com/b.jpg\r\n1|/home/u/a.jpg\r\n1|/home/u/c|d.bmp\r\n");

    // Deleting marks the document changed, so closing asks about it.
    int key = VK_DELETE;
    Select(2);
    form->CheckListKeyUp(form->CheckList, key);
    EXPECT_TRUE(form->Modified);
    dialogs.Queue(mrOk);
    form->FecharClick(nullptr);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].text, form->Msg(16));
    EXPECT_EQ(dialogs.requests[1].buttons, mbOKCancel);
    EXPECT_EQ(ReadFileBytes(path), "1|http://www.example.com/b.jpg\r\n1|/home/u/a.jpg\r\n");
    EXPECT_EQ(form->CheckList->count(), 0);
    EXPECT_EQ(form->Cfg.cfg_FileInUse, "");
    EXPECT_EQ(form->Caption(), "Velvane 2.0");

    form->NovoClick(nullptr);
    EXPECT_EQ(form->Caption(), "Velvane [ Sem nome ]");
}

TEST_F(MainFormTest, ChangesOfAnUnnamedDocumentAreOfferedForSaving)
{
    Start();
    form->CheckList->addItem("a.jpg");
    form->CheckList->item(0)->setFlags(form->CheckList->item(0)->flags() | Qt::ItemIsUserCheckable);
    form->CheckList->item(0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(form->Modified);

    dialogs.Queue(mrCancel);  // line 20: keep working
    form->AbrirClick(nullptr);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].text, form->Msg(20));
    EXPECT_EQ(dialogs.requests[0].buttons, mbYesNoCancel);
    EXPECT_EQ(form->CheckList->count(), 1);

    String saved = env.Path("novo.vnx");
    dialogs.Queue(mrYes);
    dialogs.Queue(ModalAnswer(mrOk, saved));  // save as
    dialogs.Queue(mrCancel);   // then the open dialog is cancelled
    form->AbrirClick(nullptr);
    EXPECT_EQ(ReadFileBytes(saved), "1|a.jpg\r\n");
    EXPECT_EQ(form->Cfg.cfg_FileInUse, saved);
    EXPECT_FALSE(form->Modified);
}

TEST_F(MainFormTest, SortingMarksTheDocumentAndKeepsLaterLoadsInOrder)
{
    Start();
    String path = env.Path("b.vnx");
    AtomicWriteFile(path, "1|c.jpg\r\n0|a.jpg\r\n1|b.jpg\r\n");
    form->LoadImageList(path);
    form->Organizar1Click(nullptr);
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(Entries(), (std::vector<String>{"-a.jpg", "+b.jpg", "+c.jpg"}));
    AtomicWriteFile(path, "1|z.jpg\r\n1|m.jpg\r\n");
    form->LoadImageList(path);
    EXPECT_EQ(Entries(), (std::vector<String>{"+m.jpg", "+z.jpg"}));
}

TEST_F(MainFormTest, ClosingAsksWhatTheWindowWouldLose)
{
    Start();
    // No document named: line 7, and No keeps the window and writes nothing.
    dialogs.Queue(mrNo);
    form->Close();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].text, form->Msg(7));
    EXPECT_EQ(dialogs.requests[0].type, TMsgDlgType::mtWarning);
    EXPECT_FALSE(Stored().ValueExists("cfg_Action"));
    EXPECT_FALSE(Application->Terminated());

    // A changed document is offered for saving however the window closes;
    // Cancel leaves everything as it was.
    form->CheckList->addItem("a.jpg");
    form->Modified = true;
    dialogs.Queue(mrCancel);
    form->Widget()->close();  // the title bar's close button
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].text, form->Msg(20));
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(form->CheckList->count(), 1);

    dialogs.Queue(mrCancel);
    form->SairClick(nullptr);
    EXPECT_EQ(dialogs.requests.size(), 3u);
    EXPECT_TRUE(form->Modified);
    EXPECT_FALSE(Stored().ValueExists("cfg_Action"));
}

TEST_F(MainFormTest, ASecondStartReadsBackWhatTheFirstCloseWrote)
{
    Start();
    String path = env.Path("lista.vnx");
    AtomicWriteFile(path, "1|/home/u/a.jpg\r\n0|www.example.com/b.jpg\r\n");
    form->LoadImageList(path);
    form->SetWindowState(TWindowState::wsNormal);
    form->SetBounds(40, 50, 640, 480);
    form->FileSet->setVisible(true);
    TConfig cfg;
    cfg.cfg_Action = 2;
    cfg.cfg_TimeLenght = 6;
    cfg.cfg_Order = 1;
    cfg.cfg_ProxyIP = "proxy.example.com";
    cfg.cfg_ProxyPort = 3128;
    cfg.cfg_CurrentIMG = "www.example.com/b.jpg";
    cfg.cfg_CurrentImgPos = 1;
    cfg.cfg_LastAplly = EncodeDate(2026, 12, 9) + EncodeTime(13, 45, 7, 0);
    cfg.cfg_FileInUse = path;
    cfg.cfg_ConType = 4;
    cfg.cfg_MailUser = "ana@example.com";
    cfg.cfg_Activate = true;
    cfg.cfg_UseDefaultImage = true;
    cfg.cfg_IEProxyAuto = false;
    cfg.cfg_Silent = true;
    cfg.cfg_Priority = 3;
    form->Cfg = cfg;
    form->Close();
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_TRUE(Application->Terminated());

    TRegistry desktop;
    ASSERT_TRUE(desktop.OpenKey("Control Panel\\Desktop", false));
    EXPECT_EQ(desktop.ReadString("Wallpaper"), WallPaperFile);

    Start();
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_EQ(form->Left(), 40);
    EXPECT_EQ(form->Top(), 50);
    EXPECT_EQ(form->Width(), 640);
    EXPECT_EQ(form->Height(), 480);
    EXPECT_FALSE(form->FileSet->isHidden());
    EXPECT_EQ(form->Cfg, cfg);
    EXPECT_EQ(Entries(), (std::vector<String>{"+/home/u/a.jpg", "-www.example.com/b.jpg"}));
    EXPECT_EQ(form->Caption(), "Velvane 2.0 [" + path + "]");

    // A midnight change is written without a time and reads back the same.
    form->Cfg.cfg_LastAplly = EncodeDate(2026, 12, 9);
    form->UpdateWinRegistry(nullptr);
    EXPECT_EQ(Stored().ReadDateTime("cfg_LastAplly"), EncodeDate(2026, 12, 9));
}

TEST_F(MainFormTest, AStartUpStepThatFailsDoesNotStopTheOthers)
{
    {
        TWinRegistry reg(nullptr);
        reg.HootKey = THootKey::HKEY_CURRENT_USER;
        reg.Path = "Software\\Velvane\\";
        reg.WriteValue("cfg_FileInUse|" + env.Path("gone.vnx") + "|String");
        reg.WriteValue("cfg_Priority|1|Integer");
        reg.WriteValue("App_WindowState|5|Integer");  // not a state: the stored one stays
    }
    Start();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("Erro Nº 2 | Cannot open file"));
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("gone.vnx"));
    EXPECT_EQ(form->Cfg.cfg_Priority, 1);
    EXPECT_EQ(form->WallPaper->Priority(), TThreadPriority::tpLower);
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->Caption(), "Velvane 2.0");
}

TEST_F(MainFormTest, ADamagedSettingsStoreIsReportedOnceAndTheWindowStillWorks)
{
    String file = RegistryStore::CurrentUserFile();
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    AtomicWriteFile(file, std::string(4096, 'x'));
    Start();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("Erro Nº 1009 |"));
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("damaged"));
    EXPECT_EQ(form->Cfg, TConfig{});

    // Writing fails too; the desktop key's path is put back all the same.
    EXPECT_THROW(form->UpdateWinRegistry(nullptr), ERegistryException);
    EXPECT_EQ(form->WinRegistry->Path, "Software\\Velvane\\");
}
