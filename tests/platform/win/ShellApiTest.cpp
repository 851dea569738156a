#include "platform/win/ShellApi.h"

#include "platform/win/WinError.h"
#include "tests/support/RecordingShellOpener.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <fstream>

using namespace velvane;

namespace {

int Open(const char* file, const char* directory = nullptr, const char* verb = "open")
{
    return static_cast<int>(
        reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, verb, file, nullptr, directory, SW_SHOWNORMAL)));
}

std::string MakeFile(const test::TempEnv& env, const std::string& name)
{
    const std::string path = env.Path(name);
    std::ofstream(path) << "help";
    return path;
}

class ShellExecuteTest : public ::testing::Test {
protected:
    test::TempEnv env;
    test::RecordingShellOpener desktop;
};

} // namespace

TEST_F(ShellExecuteTest, WebAndMailAddressesGoToTheDesktop)
{
    EXPECT_GT(Open("http://velvane.example/temas"), 32);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_GT(Open("HTTPS://velvane.example/"), 32);
    EXPECT_GT(Open("www.velvane.example"), 32);
    EXPECT_GT(Open("mailto:suporte@velvane.example"), 32);
    EXPECT_GT(Open("mailto:"), 32);
    // Copied from a settings line with its line end.
    EXPECT_GT(Open("  http://velvane.example\r\n"), 32);

    ASSERT_EQ(desktop.opened.size(), 6u);
    EXPECT_EQ(desktop.opened[0], "http://velvane.example/temas");
    EXPECT_EQ(desktop.opened[1].toLower(), "https://velvane.example/");
    EXPECT_EQ(desktop.opened[2], "http://www.velvane.example");
    EXPECT_EQ(desktop.opened[3], "mailto:suporte@velvane.example");
    EXPECT_EQ(desktop.opened[4], "mailto:");
    EXPECT_EQ(desktop.opened[5], "http://velvane.example");
}

TEST_F(ShellExecuteTest, ExistingLocalFilesOpenAsFileAddresses)
{
    const std::string help = MakeFile(env, "kestrin.hlp");
    EXPECT_GT(Open(help.c_str()), 32);
    EXPECT_GT(Open("kestrin.hlp", env.Root().c_str()), 32);
    EXPECT_GT(Open(("file://" + help).c_str()), 32);
    // No verb is the open verb.
    EXPECT_GT(Open(help.c_str(), nullptr, nullptr), 32);

    ASSERT_EQ(desktop.opened.size(), 4u);
    for (const QString& url : desktop.opened) EXPECT_EQ(url, "file://" + QString::fromStdString(help));
}

TEST_F(ShellExecuteTest, AnythingElseIsRefusedAndNeverReachesTheDesktop)
{
    EXPECT_EQ(Open("javascript:alert(1)"), SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    EXPECT_EQ(Open("JavaScript:alert(1)"), SE_ERR_NOASSOC);
    EXPECT_EQ(Open("ftp://velvane.example/x"), SE_ERR_NOASSOC);
    EXPECT_EQ(Open("http://"), SE_ERR_NOASSOC);
    EXPECT_EQ(Open("http://velvane.example/\nrm -rf"), SE_ERR_NOASSOC);

    EXPECT_EQ(Open(""), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(nullptr), SE_ERR_FNF);
    EXPECT_EQ(Open("   "), SE_ERR_FNF);
    EXPECT_EQ(Open(env.Path("kestrin.hlp").c_str()), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(("file://" + env.Path("missing.hlp")).c_str()), SE_ERR_FNF);
    EXPECT_EQ(Open("file://remote.example/share/x.hlp"), SE_ERR_NOASSOC);

    // Other verbs are not the programs'.
    const std::string help = MakeFile(env, "kestrin.hlp");
    EXPECT_EQ(Open(help.c_str(), nullptr, "print"), SE_ERR_NOASSOC);

    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ShellExecuteTest, ProgramsAreNotRun)
{
    const std::string script = MakeFile(env, "setup.sh");
    QFile::setPermissions(QString::fromStdString(script), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(Open(script.c_str()), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(desktop.opened.empty());
}

TEST(ShellExecute, AHandlerThatFailsIsReportedAsNoAssociation)
{
    test::RecordingShellOpener desktop(false);
    SetLastError(ERROR_SUCCESS);

    EXPECT_EQ(Open("http://velvane.example"), SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(ShellExecuteTest, MailAddressesKeepOnlyMessageFieldsAndDesktopEntriesNeverOpen)
{
    Open("mailto:a@velvane.example?subject=Oi&attach=/home/u/.ssh/id_rsa&body=x&Attachment=/etc/passwd");
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], "mailto:a@velvane.example?subject=Oi&body=x");

    const std::string entry = env.Path("browser.desktop");
    std::ofstream(entry) << "[Desktop Entry]\nExec=sh -c evil\n";
    EXPECT_EQ(Open(entry.c_str()), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(desktop.opened.size(), 1u);
}
