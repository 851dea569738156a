// What the editor's start does with the temporary files a killed run left.

#include "editor/Main.h"

#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "settings/WinRegistry.h"
#include "tests/support/OldFile.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include <filesystem>
#include <fstream>

using namespace velvane;
namespace fs = std::filesystem;

TEST(EditorStart, RemovesWhatKilledSavesLeftOfItsDocumentAndProgramFolder)
{
    test::TempEnv env;
    test::EnsureApplication();
    test::ScriptedResponder dialogs;
    TMainForm::WatchConnection = false;

    fs::create_directories(env.Path("docs"));
    const std::string document = env.Path("docs/list.vnx");
    AtomicWriteFile(document, "1|/home/u/a.jpg\r\n");
    {
        TWinRegistry reg(nullptr);
        reg.HootKey = THootKey::HKEY_CURRENT_USER;
        reg.Path = "Software\\Velvane\\";
        reg.WriteValue("cfg_FileInUse|" + document + "|String");
    }
    const std::string program = GetAppFilePath();
    const std::vector<std::string> stale = {env.Path("docs/.list.vnx.Ab12Cd"), program + ".wallpaper.bmp.x9Y8z7",
                                            program + "temp-AbCdEf.jpg"};
    for (const auto& path : stale) test::WriteOldFile(path);
    // Another document's, and one the other program is writing right now.
    test::WriteOldFile(env.Path("docs/.other.vnx.Ab12Cd"));
    std::ofstream(program + ".kestrin.net.Zx12Cv") << "being written";

    auto* form = Application->CreateForm<TMainForm>();
    EXPECT_EQ(form->CheckList->count(), 1);
    for (const auto& path : stale) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(env.Path("docs/.other.vnx.Ab12Cd")));
    EXPECT_TRUE(fs::exists(program + ".kestrin.net.Zx12Cv"));
    EXPECT_TRUE(dialogs.requests.empty());
    delete form;
}
