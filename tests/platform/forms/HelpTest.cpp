#include "platform/forms/Help.h"

#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::EnsureApplication;
using velvane::test::ScriptedResponder;
using velvane::test::TempEnv;

namespace {

// Records what would have gone to the desktop, and puts the real opener back.
class RecordingOpener {
public:
    explicit RecordingOpener(bool answer = true)
    {
        previous_ = SetHelpOpener([this, answer](const String& path) {
            opened.push_back(path);
            return answer;
        });
    }
    ~RecordingOpener() { SetHelpOpener(previous_); }

    std::vector<String> opened;

private:
    HelpOpener previous_;
};

void WriteFile(const String& path)
{
    std::ofstream(path) << "help";
}

} // namespace

TEST(WinHelp, PresentFileGoesToTheDesktopFromTheProgramFolder)
{
    TempEnv env;
    ScriptedResponder responder;
    RecordingOpener opener;
    const String file = GetAppFilePath() + "kestrin.hlp";
    WriteFile(file);

    EXPECT_EQ(WinHelpA(nullptr, "kestrin.hlp", HELP_FORCEFILE, 0), TRUE);
    EXPECT_EQ(WinHelpA(nullptr, file.c_str(), HELP_CONTENTS, 0), TRUE);
    EXPECT_EQ(WinHelpA(nullptr, "kestrin.hlp", HELP_QUIT, 0), TRUE);
    EXPECT_EQ(opener.opened, (std::vector<String>{file, file}));
    EXPECT_TRUE(responder.requests.empty());
}

TEST(WinHelp, MissingFileIsToldPlainlyAndNothingOpens)
{
    TempEnv env;
    ScriptedResponder responder;
    RecordingOpener opener;
    String folder = GetAppFilePath();
    folder.pop_back();

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WinHelpA(nullptr, "kestrin.hlp", HELP_FORCEFILE, 0), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(opener.opened.empty());
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_EQ(responder.requests[0].text, "O arquivo de ajuda \"kestrin.hlp\" não foi encontrado em " + folder + ".");
    EXPECT_EQ(responder.requests[0].type, TMsgDlgType::mtInformation);
    EXPECT_EQ(responder.requests[0].buttons, mbOK);

    // A folder by that name is not a help file either.
    std::filesystem::create_directory(GetAppFilePath() + "other.hlp");
    EXPECT_EQ(WinHelpA(nullptr, "other.hlp", HELP_FORCEFILE, 0), FALSE);
    EXPECT_TRUE(opener.opened.empty());
}

TEST(WinHelp, NoHandlerOnTheDesktopIsToldToo)
{
    TempEnv env;
    ScriptedResponder responder;
    RecordingOpener opener(false);
    WriteFile(GetAppFilePath() + "kestrin.hlp");

    EXPECT_EQ(WinHelpA(nullptr, "kestrin.hlp", HELP_FORCEFILE, 0), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_NE(responder.requests[0].text.find("\"kestrin.hlp\""), String::npos);
}

TEST(WinHelp, ApplicationHelpCommandUsesItsHelpFile)
{
    TApplication* app = EnsureApplication();
    TempEnv env;
    ScriptedResponder responder;
    RecordingOpener opener;
    WriteFile(GetAppFilePath() + "kestrin.hlp");

    app->HelpFile = "";
    EXPECT_FALSE(app->HelpCommand(HELP_FORCEFILE, 0));
    app->HelpFile = "kestrin.hlp";
    EXPECT_TRUE(app->HelpCommand(HELP_FORCEFILE, 0));
    app->HelpFile = "";
    EXPECT_EQ(opener.opened, (std::vector<String>{GetAppFilePath() + "kestrin.hlp"}));
}
