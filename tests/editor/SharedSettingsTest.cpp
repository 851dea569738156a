// The editor and the agent as users run them together: the editor open
// while the real dornwell changes the wallpaper and records it.

#include "editor/Main.h"

#include "platform/forms/Application.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/ProgramRunner.h"
#include "platform/win/WinUser.h"
#include "settings/WinRegistry.h"
#include "tests/support/Locales.h"
#include "tests/support/RecordingDesktopCalls.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QListWidget>

using namespace velvane;

TEST(EditorBesideTheAgent, ClosingTheEditorKeepsThePictureTheAgentRecordedMeanwhile)
{
    test::EnsureApplication();
    TMainForm::WatchConnection = false;
    test::TempEnv env;
    test::ScopedFormatSettings brazil{test::Brazil()};
    test::ScriptedResponder dialogs;
    test::XvfbServer x("320x240x24");
    if (!x.Running()) GTEST_SKIP() << x.Problem();

    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(0xFFD03010);
    AtomicWriteFile(env.Path("a.jpg"), EncodeJpeg(picture));
    AtomicWriteFile(env.Path("b.jpg"), EncodeJpeg(picture));
    AtomicWriteFile(env.Path("list.vnx"), "1|" + env.Path("a.jpg") + "\r\n1|" + env.Path("b.jpg") + "\r\n");
    // What a first run of both left: no picture yet, an old change time.
    TWinRegistry store(nullptr);
    store.HootKey = THootKey::HKEY_CURRENT_USER;
    store.Path = "Software\\Velvane\\";
    for (const String& line : std::vector<String>{"cfg_Action|0|Integer", "cfg_TimeLenght|0|Integer", "cfg_Order|0|Integer", "cfg_ProxyIP| |String",
          "cfg_ProxyPort|0|Integer", "cfg_CurrentIMG| |String", "cfg_CurrentImgPos|-1|Integer",
          "cfg_LastAplly|01/01/2000|DateTime", "cfg_FileInUse|" + env.Path("list.vnx") + "|String",
          "cfg_ConType|0|Integer", "cfg_Activate|True|Boolean", "cfg_UseDefaultImage|False|Boolean",
          "cfg_IEProxyAuto|False|Boolean", "cfg_Silent|False|Boolean", "cfg_Priority|2|Integer",
          "cfg_LastImageError|0|Integer"})
        store.WriteValue(line);

    TMainForm* editor = Application->CreateForm<TMainForm>();
    {
        // The agent, run once at start, applies the entry after the current.
        test::ScopedEnv display("DISPLAY", x.Display().c_str()), qpa("QT_QPA_PLATFORM", "xcb"),
            desktop("XDG_CURRENT_DESKTOP", nullptr);
        ASSERT_EQ(RunProgram(DORNWELL, {}, nullptr, std::chrono::seconds(60)), 0);
    }
    const auto stored = [&](const String& line) { return store.ReadValue(line); };
    ASSERT_EQ(stored("cfg_CurrentIMG||String").AsString(), env.Path("b.jpg"));

    // The editor changed none of those: its save leaves them as they are,
    // and writes the rest of its settings with the desktop's value.
    editor->Cfg.cfg_Action = 1;
    editor->Close();
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
    EXPECT_EQ(stored("cfg_CurrentIMG||String").AsString(), env.Path("b.jpg"));
    EXPECT_EQ(stored("cfg_CurrentImgPos||Integer").AsInteger(), 1);
    EXPECT_GT(stored("cfg_LastAplly||DateTime").AsDateTime(), EncodeDate(2000, 1, 2));
    EXPECT_EQ(stored("cfg_Action||Integer").AsInteger(), 1);
    store.Path = "Control Panel\\Desktop\\";
    EXPECT_EQ(stored("Wallpaper||String").AsString(), WallPaperFile);
    store.Path = "Software\\Velvane\\";
    delete editor;

    // What the editor applies itself is its to save: from the address box
    // only the time, from the list the entry too.
    test::RecordingDesktopCalls desktop;
    SetDesktopCalls(&desktop);
    test::ScopedEnv sway("XDG_CURRENT_DESKTOP", "sway");
    struct : TClock {
        TDateTime Now() const override { return EncodeDate(2026, 3, 4); }
    } clock;
    SetClock(&clock);
    editor = Application->CreateForm<TMainForm>();
    editor->Nav_Url->setEditText(QString::fromStdString(env.Path("a.jpg")));
    editor->ApllyClick(nullptr);
    editor->Close();
    EXPECT_EQ(stored("cfg_CurrentIMG||String").AsString(), env.Path("b.jpg"));
    EXPECT_EQ(stored("cfg_LastAplly||DateTime").AsDateTime(), EncodeDate(2026, 3, 4));
    delete editor;
    editor = Application->CreateForm<TMainForm>();
    editor->CheckList->setCurrentRow(0);
    editor->ApllyClick(nullptr);
    EXPECT_EQ(stored("cfg_CurrentIMG||String").AsString(), env.Path("a.jpg"));
    EXPECT_EQ(stored("cfg_CurrentImgPos||Integer").AsInteger(), 0);
    delete editor;
    SetClock(nullptr), SetDesktopCalls(nullptr);
}
