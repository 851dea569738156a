// The agent's start-up, its roads to an early end, the display and the
// window's small handlers.

#include "tests/agent/AgentFixture.h"

#include "agent/ActionManager.h"
#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"
#include "tests/support/RecordingShellOpener.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

#include <filesystem>

using namespace velvane;
using test::AgentTest;

namespace {

String Text(const QLabel* label) { return label->text().toStdString(); }

} // namespace

TEST_F(AgentTest, StartsFromTheStoreTheDocumentAndTheLocalSettingsFile)
{
    AtomicWriteFile(GetAppFilePath() + "kestrin.net", "Velvane\r\nhost=127.0.0.1\r\nhomeurl=www.a.example\r\n"
                                                      "wallpapermessage=Bom dia\r\nhomeurl=www.b.example\r\n");
    Seed({{"cfg_Action", "2"}, {"cfg_TimeLenght", "3"}, {"cfg_Order", "1"}, {"cfg_ConType", "4"},
          {"cfg_Priority", "7"}, {"cfg_CurrentImgPos", "-1"}, {"cfg_CurrentIMG", "/fotos/mar.jpg"}});
    Document({"0|/fotos/a.jpg", "1|/fotos/b.jpg", "1|http://www.example.com/c.jpg", "0|foto1|x", "1|/fotos/A&B.jpg"});
    Start();
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
    EXPECT_FALSE(form->QuitRequested());
    EXPECT_EQ(form->Caption(), "Lumetra 2.0");
    EXPECT_EQ(WallPaperFile, env.DataHome() + "/velvane/wallpaper.bmp");

    // Lines holding "1|" anywhere are taken, less their first two characters.
    EXPECT_EQ(form->EnabledImages->Text(), "/fotos/b.jpg\r\nhttp://www.example.com/c.jpg\r\nfoto1|x\r\n/fotos/A&B.jpg\r\n");
    const QList<QAction*> items = form->Popup->actions();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[5]->objectName(), "N1");
    EXPECT_EQ(items[6]->objectName(), "Menu_1");
    EXPECT_EQ(items[8]->objectName(), "Menu_3");
    EXPECT_EQ(items[9]->text(), "/fotos/A&&B.jpg");
    EXPECT_EQ(items[9]->data().toByteArray(), "/fotos/A&B.jpg");

    EXPECT_EQ(Text(form->Atualization), "A cada 3 hora(s).");
    EXPECT_EQ(Text(form->Order), "Aleatória.");
    EXPECT_EQ(Text(form->ConType), "Hight Speed (256Kbps +)");
    EXPECT_EQ(Text(form->LastUpdate), "01/01/1996 às 00:00:00");
    EXPECT_EQ(Text(form->CurrentImage), "[0].../fotos/mar.jpg");
    EXPECT_EQ(Text(form->ImagesAvailable), "4");
    EXPECT_EQ(Text(form->DownPriority), "Down priority..............N/D");
    EXPECT_EQ(form->TrayHint, "Imagem atual /fotos/mar.jpg.");
    EXPECT_EQ(form->HomeUrl, "www.b.example");
    EXPECT_EQ(form->WallpaperMessage, "Bom dia");
    EXPECT_EQ(form->Image->toolTip(), "127.0.0.1");
    EXPECT_EQ(form->Cfg.cfg_LastImageError, 0);

    // The message table, word for word at its edges, and one line of our own.
    EXPECT_EQ(form->StrCollection->document()->blockCount(), 53);
    EXPECT_EQ(form->Msg(4), "Rede  (10 Mb).");
    EXPECT_EQ(form->Msg(39), "Erro Nº %d| %s |%s Se este tipo de error ocorrer periodicamente informe-nos através do "
                             "e-mail " VELVANE_SUPPORT_MAIL ".");
    EXPECT_EQ(form->Msg(51), "Atualizando configurações, aguarde...");
}

TEST_F(AgentTest, StartUpStopsOnItsFailureRoadsAndCloseCopesWithIt)
{
    const struct {
        const char* what;
        std::function<void()> setup;
        String box;  // the box shown, empty for none
        bool quits;
        bool displayed;  // start-up went on to the display
    } roads[] = {
        {"no settings at all", [] {}, "", false, false},  // the store leaves no error number
        {"no document named", [this] { Seed({{"cfg_FileInUse", ""}}); },
         "Nenhum arquivo de imagens a ser carregado \r Lumetra sérá fechado!", true, true},
        {"unreadable document", [this] { Seed(); }, "Erro ao carregar arquivo de imagens.", true, true},
        {"switched off", [this] { Seed({{"cfg_Activate", "False"}}), Document({}); }, "", true, true},
        {"unreadable settings file",
         [this] {
             Seed();
             Document({});
             std::filesystem::create_directory(GetAppFilePath() + "kestrin.net");
         },
         "", false, false},
    };
    for (const auto& road : roads) {
        test::TempEnv fresh;
        road.setup();
        SetLastError(0);
        dialogs.requests.clear();
        Start();
        if (road.box.empty()) {
            EXPECT_TRUE(dialogs.requests.empty()) << road.what << ": " << dialogs.requests.front().text;
        } else {
            ASSERT_EQ(dialogs.requests.size(), 1u) << road.what;
            EXPECT_EQ(dialogs.requests[0].text.substr(0, road.box.size()), road.box) << road.what;
        }
        EXPECT_EQ(form->QuitRequested(), road.quits) << road.what;
        EXPECT_EQ(Text(form->ImagesAvailable) == "0", road.displayed) << road.what;
        // The close handler finds the scheduler never made, or never resumed.
        TCloseAction action = TCloseAction::caNone;
        form->FormClose(nullptr, action);
        EXPECT_EQ(action, TCloseAction::caFree) << road.what;
        EXPECT_EQ(form->ActionManager, nullptr);
        delete form;
        form = nullptr;
    }
}

TEST(AgentShortPath, KeepsTheLastComponentOfLongTextsWithoutTheDrive)
{
    const std::pair<String, String> cases[] = {
        {"C:\\fotos\\mar.jpg", "...:\\fotos\\mar.jpg"},
        {"C:\\minhas fotos\\de ferias\\2004\\praia.jpg", "...praia.jpg"},
        {"/home/usuario/imagens/viagens/praia.jpg", "...praia.jpg"},
        {"http://www.example.com/pictures/big/one.jpg", "...one.jpg"},
        {"", "..."},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(agent::ShortPath(in), out) << in;
}

TEST_F(AgentTest, TheWindowStaysReachableAndOpensOnlyWebPages)
{
    StartWith({});
    form->Show();
    form->RestaurarClick(nullptr);
    EXPECT_TRUE(form->Visible());  // no icon to come back through: minimized
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
    form->Hide();
    form->RestaurarClick(nullptr);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);

    test::RecordingShellOpener shell;
    for (const char* home : {"http:", "/usr/bin/xterm", "www.site.example"}) {
        form->HomeUrl = home;
        form->ImageClick(form->Image);
    }
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], "http://www.site.example");
}
