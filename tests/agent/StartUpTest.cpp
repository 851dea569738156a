// The agent's start-up, its roads to an early end and the display; and the
// dornwell program as a user runs it: on its own X display it changes the
// root window's picture by itself, read back from another process.

#include "tests/agent/AgentFixture.h"

#include "agent/ActionManager.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/AppPaths.h"
#include "platform/desktop/ProgramRunner.h"
#include "platform/win/WinError.h"
#include "tests/support/Eventually.h"
#include "tests/support/RootWindow.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

using namespace velvane;
using test::AgentTest;

static String Text(const QLabel* label) { return label->text().toStdString(); }

// Waits until the root window shows the colour at (20, 450), below the
// agent's window; false after half a minute.
static bool RootShows(const std::string& display, const std::string& color)
{
    for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        if (const auto lines = test::ReadRoot(display, {"20", "450"}); !lines.empty() && lines[0] == color) return true;
    return false;
}

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

    // Lines holding "1|" anywhere are taken, less their first two characters.
    EXPECT_EQ(form->EnabledImages->Text(), "/fotos/b.jpg\r\nhttp://www.example.com/c.jpg\r\nfoto1|x\r\n/fotos/A&B.jpg\r\n");
    const QList<QAction*> items = form->Popup->Items()->actions();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[5]->objectName() + items[6]->objectName() + items[8]->objectName(), "N1Menu_1Menu_3");
    EXPECT_EQ(items[9]->text(), "/fotos/A&&B.jpg");  // shown as written; the item applies its entry

    EXPECT_EQ(Text(form->Atualization), "A cada 3 hora(s).");
    EXPECT_EQ(Text(form->LastUpdate), "01/01/1996 às 00:00:00");
    EXPECT_EQ(Text(form->CurrentImage), "[0].../fotos/mar.jpg");
    EXPECT_EQ(Text(form->ImagesAvailable), "4");
    EXPECT_EQ(form->HomeUrl, "www.b.example");
    EXPECT_EQ(form->Image->toolTip(), "127.0.0.1");
    EXPECT_EQ(agent::ShortPath("/home/usuario/imagens/viagens/2004/praia.jpg"), "...praia.jpg");
    EXPECT_EQ(agent::ShortPath("C:\\fotos\\mar.jpg"), "...:\\fotos\\mar.jpg");

    // With no icon to come back through, "Minimizar" minimizes instead of hiding.
    form->Show();
    form->RestaurarClick(nullptr);
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
}

TEST_F(AgentTest, StartUpStopsOnItsFailureRoadsAndCloseCopesWithIt)
{
    // The box shown (empty for none), whether the program quits and whether
    // start-up went on to the display.
    const struct { const char* what; std::function<void()> setup; String box; bool quits, displayed; } roads[] = {
        {"no settings at all", [] {}, "", false, false},  // the store leaves no error number
        {"no document named", [this] { Seed({{"cfg_FileInUse", ""}}); },
         "Nenhum arquivo de imagens a ser carregado \r Lumetra sérá fechado!", true, true},
        {"unreadable document", [this] { Seed(); }, "Erro ao carregar arquivo de imagens.", true, true},
        {"switched off", [this] { Seed({{"cfg_Activate", "False"}}), Document({}); }, "", true, true},
        {"unreadable settings file", [this] { Seed(), Document({}), std::filesystem::create_directory(GetAppFilePath() + "kestrin.net"); }, "", false, false},
    };
    for (const auto& road : roads) {
        test::TempEnv fresh;
        road.setup();
        SetLastError(0), dialogs.requests.clear(), Start();
        ASSERT_EQ(dialogs.requests.size(), road.box.empty() ? 0u : 1u) << road.what;
        EXPECT_EQ(road.box.empty() ? road.box : dialogs.requests[0].text, road.box) << road.what;
        EXPECT_EQ(form->QuitRequested(), road.quits) << road.what;
        EXPECT_EQ(Text(form->ImagesAvailable) == "0", road.displayed) << road.what;
        // The close handler finds the scheduler never made, or never resumed.
        TCloseAction action = TCloseAction::caNone;
        form->FormClose(nullptr, action);
        EXPECT_EQ(action, TCloseAction::caFree) << road.what;
        EXPECT_EQ(form->ActionManager, nullptr);
        delete std::exchange(form, nullptr);
    }
}

TEST_F(AgentTest, CloseWritesBackOnlyWhatTheAgentReadAndHasChangedSince)
{
    const auto closeAndRead = [this] {
        TCloseAction action = TCloseAction::caNone;
        form->FormClose(nullptr, action);
        delete std::exchange(form, nullptr);
        String values;
        for (String line : {"cfg_CurrentIMG||String", "cfg_CurrentImgPos||Integer", "cfg_LastAplly||DateTime",
                            "cfg_LastImageError||Integer"})
            values += (test::StoredSetting(line.substr(0, line.find('|')).c_str()) ? Stored(line) : "-") + ";";
        return values;
    };
    // Start-up stopped at a missing value, before the four were read.
    Seed({{"cfg_Order", ""}, {"cfg_CurrentIMG", "/a.jpg"}, {"cfg_CurrentImgPos", "3"}, {"cfg_LastAplly", ""}});
    Start();
    EXPECT_EQ(closeAndRead(), "/a.jpg;3;-;0;");
    // A job of its own is written at once; what the editor records after it
    // is not undone by the agent's close.
    const String picture = Jpeg("b.jpg", test::Filled(16, 16, 0xFF2040C0));
    StartWith({picture});
    form->AtualizaragoraClick(nullptr);
    store.WriteValue("cfg_CurrentIMG|/editor.jpg|String");
    EXPECT_EQ(closeAndRead(), "/editor.jpg;0;" + DateTimeToStr(clock.Now()) + ";0;");
    // The agent read its picture; the editor then applies another, and the
    // agent's next job takes the first one again: the store tells what shows.
    StartWith({picture}, {{"cfg_CurrentIMG", picture}});
    store.WriteValue("cfg_CurrentIMG|/editor.jpg|String"), store.WriteValue("cfg_CurrentImgPos|4|Integer");
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(closeAndRead(), picture + ";0;" + DateTimeToStr(clock.Now()) + ";0;");
    // After the editor's first save the store lacks the one value only the
    // agent keeps: the agent still starts, and its close stores that value.
    test::TempEnv fresh;
    Seed({{"cfg_LastImageError", ""}}), Document({});
    Start();
    EXPECT_EQ(Text(form->ImagesAvailable), "0") << "start-up went on to the display";
    EXPECT_NE(form->ActionManager, nullptr);
    EXPECT_EQ(closeAndRead(), " ;0;01/01/1996;-1;");
}

TEST_F(AgentTest, ASecondDornwellEndsAtOnce)
{
    // The first runs on, writing the wallpaper file again and again but
    // failing to hand it to a desktop that is not there.
    Seed({{"cfg_Action", "2"}}), Document({"1|" + Jpeg("a.jpg", test::Filled(16, 16, 0xFF2040C0))});
    pid_t first = -1;
    char* argv[] = {const_cast<char*>(DORNWELL), nullptr};
    ASSERT_EQ(posix_spawn(&first, DORNWELL, nullptr, nullptr, argv, environ), 0);
    const String wallpaper = GetAppFilePath() + "wallpaper.bmp";
    EXPECT_TRUE(test::Eventually([&] { return FileExists(wallpaper); }));
    EXPECT_EQ(RunProgram(DORNWELL, {}, nullptr, std::chrono::seconds(60)), 0);
    kill(first, SIGTERM);
    waitpid(first, nullptr, 0);
}

TEST_F(AgentTest, DornwellChangesTheRootPictureOnceAndEndsOrAgainAndAgain)
{
    test::XvfbServer x("640x480x24");
    if (!x.Installed()) GTEST_SKIP() << x.Problem();
    ASSERT_TRUE(x.Running()) << x.Problem();
    test::ScopedEnv display("DISPLAY", x.Display().c_str()), qpa("QT_QPA_PLATFORM", "xcb"),
        desktopKind("XDG_CURRENT_DESKTOP", nullptr);
    const String blue = Jpeg("blue.jpg", test::Filled(640, 480, 0xFF1030D0));
    const String red = Jpeg("red.jpg", test::Filled(640, 480, 0xFFD03010));
    Document({"1|" + blue, "1|" + red});

    // At start: the entry after the current one, then the program ends.
    Seed({{"cfg_Action", "0"}});
    ASSERT_EQ(RunProgram(DORNWELL, {}, nullptr, std::chrono::seconds(60)), 0);
    EXPECT_TRUE(RootShows(x.Display(), "d03010"));
    EXPECT_EQ(Stored("cfg_CurrentIMG|x|String"), red);

    // Every zero hours: at every cycle the time has moved on.
    Seed({{"cfg_Action", "2"}, {"cfg_CurrentIMG", red}, {"cfg_CurrentImgPos", "1"}});
    pid_t pid = -1;
    char* argv[] = {const_cast<char*>(DORNWELL), nullptr};
    ASSERT_EQ(posix_spawn(&pid, DORNWELL, nullptr, nullptr, argv, environ), 0);
    EXPECT_TRUE(RootShows(x.Display(), "1030d0"));
    EXPECT_TRUE(RootShows(x.Display(), "d03010"));
    // Pictures from files take neither the network's libraries nor GIO's.
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    const std::string mapped(std::istreambuf_iterator<char>(maps), {});
    for (const char* library : {"libQt6Core", "libcurl", "libssl", "libgio", "libgobject"})
        EXPECT_EQ(mapped.find(library) != std::string::npos, library == std::string("libQt6Core")) << library;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}
