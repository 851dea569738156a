// The dornwell program as a user runs it: on its own X display, with
// settings and a document of local pictures, it changes the root window's
// picture by itself; read back from another process.

#include "tests/agent/AgentFixture.h"

#include "platform/win/ProgramRunner.h"
#include "tests/support/RootWindow.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

using namespace velvane;
using test::AgentTest;

namespace {

// What the root window shows at (20, 450), below the agent's window.
std::string RootAt(const std::string& display)
{
    const std::vector<std::string> lines = test::ReadRoot(display, {"20", "450"});
    return lines.empty() ? std::string() : lines[0];
}

bool WaitForRoot(const std::string& display, const std::string& color)
{
    for (int i = 0; i < 300; ++i) {
        if (RootAt(display) == color) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace

TEST_F(AgentTest, DornwellChangesTheRootPictureOnceAndEndsOrAgainAndAgain)
{
    test::XvfbServer x("640x480x24");
    if (!x.Running()) GTEST_SKIP() << x.Problem();
    test::ScopedEnv display("DISPLAY", x.Display().c_str()), qpa("QT_QPA_PLATFORM", "xcb"),
        desktopKind("XDG_CURRENT_DESKTOP", nullptr);
    const String blue = Jpeg("blue.jpg", test::Filled(640, 480, 0xFF1030D0));
    const String red = Jpeg("red.jpg", test::Filled(640, 480, 0xFFD03010));
    Document({"1|" + blue, "1|" + red});

    // At start: the entry after the current one, then the program ends.
    Seed({{"cfg_Action", "0"}});
    ASSERT_EQ(RunProgram(DORNWELL, {}, nullptr, std::chrono::seconds(60)), 0);
    EXPECT_EQ(RootAt(x.Display()), "d03010");
    EXPECT_EQ(Stored("cfg_CurrentIMG|x|String"), red);

    // Every zero hours: at every cycle the time has moved on.
    Seed({{"cfg_Action", "2"}, {"cfg_CurrentIMG", red}, {"cfg_CurrentImgPos", "1"}});
    pid_t pid = -1;
    char* argv[] = {const_cast<char*>(DORNWELL), nullptr};
    ASSERT_EQ(posix_spawn(&pid, DORNWELL, nullptr, nullptr, argv, environ), 0);
    EXPECT_TRUE(WaitForRoot(x.Display(), "1030d0"));
    EXPECT_TRUE(WaitForRoot(x.Display(), "d03010"));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}
