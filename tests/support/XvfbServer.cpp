#include "tests/support/XvfbServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace velvane::test {

namespace {

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Starts a program whose output goes nowhere: one left behind by a test that
// dies must not hold the test's own output open.
pid_t Spawn(const char* const argv[])
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Starts openbox on the display and waits until it names its own window on
// the root window, as a manager does once it is ready.
pid_t StartManager(const std::string& display)
{
    ::Display* x = XOpenDisplay(display.c_str());
    if (!x) return -1;
    const std::string on = "DISPLAY=" + display;
    const char* argv[] = {"env", on.c_str(), "openbox", "--sm-disable", nullptr};
    const pid_t pid = Spawn(argv);
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
    bool ready = false;
    for (int i = 0; pid > 0 && !ready && i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data);
        ready = type == XA_WINDOW && count == 1;
        if (data) XFree(data);
    }
    XCloseDisplay(x);
    if (ready || pid <= 0) return ready ? pid : -1;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return -1;
}

} // namespace

XvfbServer::XvfbServer(const std::string& screen, bool managed)
{
    const std::string program = FindInPath("Xvfb");
    installed_ = !program.empty();
    if (!installed_) {
        problem_ = "Xvfb is not installed";
        return;
    }
    namespace fs = std::filesystem;
    // Spread the numbers so parallel test programs rarely try the same one.
    const int base = 200 + static_cast<int>(getpid() % 500);
    for (int n = base; n < base + 40; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (fs::exists("/tmp/.X" + std::to_string(n) + "-lock") || fs::exists(socket)) continue;
        const std::string display = ":" + std::to_string(n);
        const char* argv[] = {program.c_str(), display.c_str(), "-screen", "0", screen.c_str(), "-noreset", nullptr};
        const pid_t pid = Spawn(argv);
        if (pid < 0) {
            problem_ = "Xvfb could not be started";
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        bool exited = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (fs::exists(socket)) {
                pid_ = pid;
                display_ = ":" + std::to_string(n);
                if (managed && (manager_ = StartManager(display_)) < 0)
                    problem_ = "openbox did not come up (is it installed?)";
                return;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;  // most likely someone took the number first
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            problem_ = "Xvfb did not come up in time";
            return;
        }
    }
    problem_ = "no free display number for Xvfb";
}

XvfbServer::~XvfbServer()
{
    if (manager_ > 0) {
        kill(manager_, SIGTERM);
        waitpid(manager_, nullptr, 0);
    }
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

} // namespace velvane::test
