// The editor's window driven headless, with scripted answers to its
// questions and file dialogs.

#include "editor/Main.h"

#include "components/containers/velcont.h"
#include "editor/FileSet.h"

#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/DateTime.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/desktop/ProgramRunner.h"
#include "platform/win/Registry.h"
#include "platform/win/WinError.h"
#include "editor/ImageListDocument.h"
#include "settings/WinRegistry.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Locales.h"
#include "tests/support/OldFile.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XvfbServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

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

// The error handler's box for a system error.
String Box(int code, const String& message)
{
    return "Erro Nº " + std::to_string(code) + " | " + message +
           " | \r Se este erro ocorrer periodicamente, por favor, informe-nos através do e-mail " VELVANE_SUPPORT_MAIL
           ".";
}

// What the start does with the temporary files a killed run left.
class EditorStart : public MainFormTest {};

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
    EXPECT_EQ(form->Msg(67), VELVANE_PUBLISH_MAIL);
    EXPECT_EQ(form->Msg(78), "");
    EXPECT_FALSE(form->Constants->isVisibleTo(form->Widget()));
    EXPECT_EQ(TagOf(form->AppExit), 27);
    EXPECT_EQ(form->Preview->toolTip().toStdString(), "Aplicar imagem ao papel de parede");
}

TEST_F(MainFormTest, TheButtonsShowThePicturesOfTheStoredImageList)
{
    Start();
    ASSERT_NE(form->ImageList, nullptr);
    ASSERT_EQ(form->ImageList->Count(), 2);
    const TVELImageListItem* bar = form->ImageList->Item(0);
    EXPECT_EQ(bar->Description, "Go Back");
    EXPECT_EQ(bar->Width(), 30);
    EXPECT_EQ(bar->Height(), 30);
    EXPECT_EQ(bar->ImageCount(), 13);
    EXPECT_FALSE(bar->Masked());
    EXPECT_EQ(form->ImageList->Item(1)->Width(), 19);
    EXPECT_EQ(form->ImageList->GetImageCount(1), 1);

    // Each button takes its cell as its glyph.
    TVELButton* buttons[] = {form->Nav_Back, form->Nav_Next, form->Nav_Stop, form->Nav_Refresh, form->Nav_Home,
                             form->File_Open, form->File_Close, form->File_Save, form->File_New, form->Preview,
                             form->File_Frame, form->SetUp, form->AppExit, form->Nav_Go, form->Nav_AddToList};
    for (int i = 0; i < 15; ++i) {
        TBitmap cell;
        form->ImageList->GetImage(i < 13 ? 0 : 1, i < 13 ? i : 0, &cell);
        EXPECT_EQ(buttons[i]->Glyph().Image(), cell.Image()) << i;
    }
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

    // Errors reaching the event loop go to the handler too.
    form->Busy = true;
    SetLastError(0);
    QMetaObject::invokeMethod(form->Widget(), [] { throw EConvertError("'x' is not a valid integer value"); },
                              Qt::QueuedConnection);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return !form->Busy; }));
    EXPECT_EQ(dialogs.requests.size(), 1u);
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
    form->AddEntry("a.jpg", true);
    form->Modified = true;

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

// A second start reads back what the first close wrote, the document's
// name (which holds a bar, the lines' separator) too.
TEST_F(MainFormTest, ADocumentWhoseNameHoldsABarIsReopened)
{
    Start();
    String path = env.Path("lista|b.vnx");
    AtomicWriteFile(path, "1|/home/u/a.jpg\r\n0|www.example.com/b.jpg\r\n");
    form->LoadImageList(path);
    form->SetWindowState(TWindowState::wsNormal);
    form->SetBounds(40, 50, 640, 480);
    form->FileSet->setVisible(true);
    const TConfig cfg{.cfg_Action = 2, .cfg_TimeLenght = 6, .cfg_Order = 1, .cfg_ProxyIP = "proxy.example.com",
                      .cfg_ProxyPort = 3128, .cfg_CurrentIMG = "www.example.com/b.jpg", .cfg_CurrentImgPos = 1,
                      .cfg_LastAplly = EncodeDate(2026, 12, 9) + EncodeTime(13, 45, 7, 0), .cfg_FileInUse = path,
                      .cfg_ConType = 4, .cfg_MailUser = "ana@example.com", .cfg_Activate = true,
                      .cfg_UseDefaultImage = true, .cfg_IEProxyAuto = false, .cfg_Silent = true, .cfg_Priority = 3};
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
    EXPECT_EQ(form->Notebook->currentIndex(), 1) << "the reopened list is in front";

    // A midnight change is written without a time and reads back the same.
    form->RecordApplied(EncodeDate(2026, 12, 9), -1, {});
    form->UpdateWinRegistry(nullptr);
    EXPECT_EQ(Stored().ReadDateTime("cfg_LastAplly"), EncodeDate(2026, 12, 9));
}

TEST_F(MainFormTest, ClosingKeepsThePictureTheAgentRecordedMeanwhile)
{
    test::XvfbServer x("320x240x24");
    if (!x.Installed()) GTEST_SKIP() << x.Problem();
    ASSERT_TRUE(x.Running()) << x.Problem();
    AtomicWriteFile(env.Path("a.jpg"), EncodeJpeg(QImage(32, 32, QImage::Format_RGB32)));
    AtomicWriteFile(env.Path("list.vnx"), "1|" + env.Path("a.jpg") + "\r\n");
    // The agent's settings, run once at start: no picture yet, an old change.
    for (const char* name : {"cfg_Action", "cfg_TimeLenght", "cfg_Order", "cfg_ProxyPort", "cfg_CurrentImgPos",
                             "cfg_ConType", "cfg_UseDefaultImage", "cfg_IEProxyAuto", "cfg_Silent", "cfg_Priority",
                             "cfg_LastImageError"})
        Stored().WriteInteger(name, 0);
    Stored().WriteBool("cfg_Activate", true);
    Stored().WriteString("cfg_FileInUse", env.Path("list.vnx"));
    Stored().WriteDateTime("cfg_LastAplly", EncodeDate(2000, 1, 1));
    Start();
    {
        test::ScopedEnv display("DISPLAY", x.Display().c_str()), qpa("QT_QPA_PLATFORM", "xcb"),
            desktop("XDG_CURRENT_DESKTOP", nullptr);
        ASSERT_EQ(RunProgram(DORNWELL, {}, nullptr, std::chrono::seconds(60)), 0);
    }
    // The editor changed none of the agent's values: its save keeps them.
    form->Cfg.cfg_Action = 1;
    form->Close();
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
    EXPECT_EQ(Stored().ReadString("cfg_CurrentIMG"), env.Path("a.jpg"));
    EXPECT_GT(Stored().ReadDateTime("cfg_LastAplly"), EncodeDate(2000, 1, 2));
    EXPECT_EQ(Stored().ReadInteger("cfg_Action"), 1);
}

TEST_F(MainFormTest, AStartUpStepThatFailsDoesNotStopTheOthers)
{
    Stored().WriteString("cfg_FileInUse", env.Path("gone.vnx"));
    Stored().WriteInteger("cfg_Priority", 1);
    Stored().WriteInteger("App_WindowState", 5);  // not a state: the stored one stays
    Start();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("Erro Nº 2 | Não foi possível abrir o arquivo"));
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
    EXPECT_EQ(dialogs.requests[0].text,
              Box(1009, "Falha ao obter os dados de 'App_Top': O arquivo de configurações \"" + file +
                            "\" está danificado (o arquivo não é um banco de dados); mova-o para outro lugar para "
                            "começar com configurações vazias"));
    EXPECT_EQ(form->Cfg, TConfig{});
}

// The platform's messages and the system's reasons reach the box in the
// programs' language: a document that cannot be created or written, and a
// store a newer version left read-only.
TEST_F(MainFormTest, FailedSavesAreToldInPortuguese)
{
    Start();
    form->AddEntry("/fotos/praia.jpg", true);
    const auto save = [&](const String& path) {
        form->Cfg.cfg_FileInUse = path;
        dialogs.requests.clear();
        QMetaObject::invokeMethod(form->Widget(), [&] { form->SalvarClick(nullptr); }, Qt::QueuedConnection);
        return test::ProcessEventsUntil([&] { return !dialogs.requests.empty(); }) ? dialogs.requests[0].text : "";
    };
    const String nowhere = env.Path("nada/lista.vnx"), path = env.Path("lista.vnx");
    EXPECT_EQ(save(nowhere), Box(2, "Não foi possível criar o arquivo \"" + nowhere + "\". Arquivo ou diretório inexistente"));
    {
        test::FileSizeLimit full(4);
        EXPECT_EQ(save(path), Box(112, "Não foi possível gravar o arquivo \"" + path + "\". Arquivo grande demais"));
    }

    form->UpdateWinRegistry(nullptr);
    test::CloseSettingsStore();
    std::fstream(RegistryStore::CurrentUserFile(), std::ios::in | std::ios::out | std::ios::binary).seekp(18).put(3);
    dialogs.requests.clear();
    form->Close();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].text,
              Box(1013, "O arquivo de configurações \"" + RegistryStore::CurrentUserFile() +
                            "\" não pôde ser lido nem gravado (tentativa de gravar em um banco de dados somente leitura)"));
}

TEST_F(MainFormTest, MovingAfterSortingSwapsWithTheNeighbourAsShown)
{
    Start();
    String path = env.Path("c.vnx");
    AtomicWriteFile(path, "1|c.jpg\r\n0|a.jpg\r\n1|b.jpg\r\n");
    form->LoadImageList(path);
    form->Organizar1Click(nullptr);
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(Entries(), (std::vector<String>{"-a.jpg", "+b.jpg", "+c.jpg"}));
    form->Modified = false;
    Select(0);
    form->MoveToDownClick(form->MoverParaBaixo);
    EXPECT_EQ(Entries(), (std::vector<String>{"+b.jpg", "-a.jpg", "+c.jpg"}));
    EXPECT_EQ(form->CheckList->currentRow(), 1);
    EXPECT_TRUE(form->CheckList->item(1)->isSelected()) << "the selection follows the entry";
    EXPECT_TRUE(form->Modified);
    form->MoveToDownClick(form->MoverParaBaixo);
    EXPECT_EQ(Entries(), (std::vector<String>{"+b.jpg", "+c.jpg", "-a.jpg"}));
    form->MoveToDownClick(form->MoverParaCima);
    form->MoveToDownClick(form->MoverParaCima);
    EXPECT_EQ(Entries(), (std::vector<String>{"-a.jpg", "+b.jpg", "+c.jpg"}));
    EXPECT_EQ(form->CheckList->currentRow(), 0);
    // What is added or loaded later still goes to its place in the order.
    form->AddEntry("ab.jpg", true);
    EXPECT_EQ(Entries(), (std::vector<String>{"-a.jpg", "+ab.jpg", "+b.jpg", "+c.jpg"}));
    AtomicWriteFile(path, "1|z.jpg\r\n1|m.jpg\r\n");
    form->LoadImageList(path);
    EXPECT_EQ(Entries(), (std::vector<String>{"+m.jpg", "+z.jpg"}));
}

// Sorting stays on through Fechar and Novo; a large document opened then is
// sorted once: letter case ignored, equal names in the document's order,
// each entry with its own check.
TEST_F(MainFormTest, ALargeDocumentOpensIntoTheSortedListInOrder)
{
    test::Watchdog watchdog(std::chrono::seconds(90), "opening a large document into a sorted list");
    std::vector<TImageEntry> document;
    std::mt19937 random(22);
    for (int i = 0; i < 50000; ++i) {
        const String n = std::to_string(random() % 100000);
        document.push_back({"/fotos/Viagem-" + n + ".jpg", i % 3 == 0});
        document.push_back({"/FOTOS/viagem-" + n + ".jpg", i % 2 == 0});
    }
    std::shuffle(document.begin(), document.end(), random);
    WriteImageList(env.Path("grande.vnx"), document);
    Start();
    form->Organizar1Click(nullptr);
    dialogs.Queue(mrCancel);  // the sorted empty document is not saved
    form->FecharClick(nullptr);
    form->NovoClick(nullptr);
    dialogs.Queue(ModalAnswer(mrOk, env.Path("grande.vnx")));
    form->AbrirClick(nullptr);

    form->SaveImageList(env.Path("ordenado.vnx"));
    const std::vector<TImageEntry> sorted = ReadImageList(env.Path("ordenado.vnx"));
    ASSERT_EQ(sorted.size(), document.size());
    std::map<String, std::vector<size_t>> at;  // where each name stood, in order
    for (size_t i = 0; i < document.size(); ++i) at[document[i].Text].push_back(i);
    std::map<String, size_t> seen;
    for (size_t i = 0, before = 0; i < sorted.size(); ++i) {
        const size_t was = at[sorted[i].Text].at(seen[sorted[i].Text]++);
        EXPECT_EQ(sorted[i].Checked, document[was].Checked);
        const int order = i == 0 ? -1 : QString::fromStdString(sorted[i - 1].Text)
                                            .compare(QString::fromStdString(sorted[i].Text), Qt::CaseInsensitive);
        ASSERT_TRUE(order < 0 || (order == 0 && before < was)) << sorted[i].Text;
        before = was;
    }
}

TEST_F(MainFormTest, EntriesThatAreNotUtf8ComeBackByteForByte)
{
    Start();
    const String bytes = "1|/home/u/S\xE3o.jpg\r\n0|/home/u/caf\xC3\xA9.jpg\r\n1|/home/u/\x80\xFF.bmp\r\n";
    String path = env.Path("bytes.vnx");
    AtomicWriteFile(path, bytes);
    dialogs.Queue(ModalAnswer(mrOk, path));
    form->AbrirClick(nullptr);
    // Shown decoded: UTF-8 where it is, the Windows code page where not.
    EXPECT_EQ(form->CheckList->item(0)->text(), QString::fromUtf8("/home/u/São.jpg"));
    EXPECT_EQ(form->CheckList->item(1)->text(), QString::fromUtf8("/home/u/café.jpg"));
    EXPECT_EQ(form->CheckList->item(2)->text(), QString::fromUtf8("/home/u/€ÿ.bmp"));
    form->CheckList->item(1)->setCheckState(Qt::Checked);
    form->SalvarClick(nullptr);
    EXPECT_EQ(ReadFileBytes(path), "1|/home/u/S\xE3o.jpg\r\n1|/home/u/caf\xC3\xA9.jpg\r\n1|/home/u/\x80\xFF.bmp\r\n");
    EXPECT_EQ(EntryText(form->CheckList->item(0)), "/home/u/S\xE3o.jpg");
}

TEST_F(MainFormTest, ACancelledSaveKeepsTheDocumentOnCloseAndNew)
{
    Start();
    form->NovoClick(nullptr);
    form->AddEntry("/home/u/a.jpg", true);
    form->Modified = true;
    for (auto command : {&TMainForm::FecharClick, &TMainForm::NovoClick}) {
        dialogs.Queue(mrOk);      // line 16: save the changes
        dialogs.Queue(mrCancel);  // and the save dialog is cancelled
        (form->*command)(nullptr);
        EXPECT_EQ(Entries(), std::vector<String>{"+/home/u/a.jpg"});
        EXPECT_TRUE(form->Modified);
        EXPECT_EQ(form->Caption(), "Velvane [ Sem nome ]");
    }
    ASSERT_EQ(dialogs.requests.size(), 4u);
    EXPECT_EQ(dialogs.requests[1].kind, ModalRequest::Kind::SaveFile);

    // Saved for real, the document closes.
    String path = env.Path("kept.vnx");
    dialogs.Queue(mrOk);
    dialogs.Queue(ModalAnswer(mrOk, path));
    form->FecharClick(nullptr);
    EXPECT_EQ(ReadFileBytes(path), "1|/home/u/a.jpg\r\n");
    EXPECT_EQ(form->CheckList->count(), 0);
    EXPECT_EQ(form->Caption(), "Velvane 2.0");
}

TEST_F(MainFormTest, AnAddressAddedToTheListIsAChange)
{
    Start();
    String path = env.Path("d.vnx");
    AtomicWriteFile(path, "1|/home/u/a.jpg\r\n");
    dialogs.Queue(ModalAnswer(mrOk, path));
    form->AbrirClick(nullptr);
    form->Nav_Url->setEditText("http://www.example.com/b.jpg");
    form->Nav_BackClick(form->Nav_AddToList);
    EXPECT_EQ(Entries(), (std::vector<String>{"+/home/u/a.jpg", "-http://www.example.com/b.jpg"}));
    EXPECT_TRUE(form->Modified);
    dialogs.Queue(mrYes);
    form->Close();  // asks line 20; Yes saves
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].text, form->Msg(20));
    EXPECT_EQ(ReadFileBytes(path), "1|/home/u/a.jpg\r\n0|http://www.example.com/b.jpg\r\n");
}

TEST_F(MainFormTest, AStoreThatRefusesTheLinesIsReportedAndTheValuesStay)
{
    Start();
    form->UpdateWinRegistry(nullptr);  // the store and its tables exist
    test::StoreSql(test::kRefuseSettingsWrites);
    form->Cfg.cfg_Action = 3;
    form->Cfg.cfg_MailUser = "ana@example.com";
    EXPECT_THROW(form->UpdateWinRegistry(nullptr), ERegistryException);
    EXPECT_EQ(form->WinRegistry->Path, "Software\\Velvane\\");

    // Closing reports it (the store's error number) and still ends.
    form->Cfg.cfg_FileInUse = env.Path("x.vnx");
    form->Close();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text, HasSubstr("Erro Nº "));
    EXPECT_EQ(Stored().ReadInteger("cfg_Action"), 0);

    // Once the store takes writes again, the values the window kept go in.
    test::StoreSql("DROP TRIGGER refuse");
    form->UpdateWinRegistry(nullptr);
    EXPECT_EQ(Stored().ReadInteger("cfg_Action"), 3);
    EXPECT_EQ(Stored().ReadString("cfg_MailUser"), "ana@example.com");
}

TEST_F(MainFormTest, OnlyAKeyPressedInTheListActsOnIt)
{
    Start();
    form->AddEntry(env.Path("missing.jpg"), true);
    Select(0);
    form->Widget()->show();
    auto send = [&](QEvent::Type type, int key) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QCoreApplication::sendEvent(form->CheckList, &event);
    };
    // The Enter that confirmed a dialog is released over the list.
    send(QEvent::KeyRelease, Qt::Key_Return);
    send(QEvent::KeyRelease, Qt::Key_Delete);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(form->CheckList->count(), 1);
    EXPECT_NE(form->StatusBar->Panel(1), form->Msg(10));

    send(QEvent::KeyPress, Qt::Key_Return);
    send(QEvent::KeyRelease, Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 1u) << "the preview opens";
    EXPECT_EQ(dialogs.requests[0].kind, ModalRequest::Kind::Form);
    EXPECT_EQ(form->StatusBar->Panel(1), form->Msg(10));
}

TEST_F(EditorStart, RemovesWhatKilledSavesLeftOfItsDocumentAndProgramFolder)
{
    std::filesystem::create_directories(env.Path("docs"));
    const std::string document = env.Path("docs/list.vnx");
    AtomicWriteFile(document, "1|/home/u/a.jpg\r\n");
    Stored().WriteString("cfg_FileInUse", document);
    const std::string program = GetAppFilePath();
    const std::vector<std::string> stale = {env.Path("docs/.list.vnx.Ab12Cd"), program + ".wallpaper.bmp.x9Y8z7",
                                            program + "temp-AbCdEf.jpg"};
    for (const auto& path : stale) test::WriteOldFile(path);
    // Another document's, and one the other program is writing right now.
    test::WriteOldFile(env.Path("docs/.other.vnx.Ab12Cd"));
    std::ofstream(program + ".kestrin.net.Zx12Cv") << "being written";

    Start();
    EXPECT_EQ(form->CheckList->count(), 1);
    for (const auto& path : stale) EXPECT_FALSE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(std::filesystem::exists(env.Path("docs/.other.vnx.Ab12Cd")));
    EXPECT_TRUE(std::filesystem::exists(program + ".kestrin.net.Zx12Cv"));
    EXPECT_TRUE(dialogs.requests.empty());
}
