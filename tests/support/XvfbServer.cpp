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

extern char** environ;

namespace velvane::test {

std::string FindProgram(const std::string& name)
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

namespace {

pid_t Spawn(const std::string& program, const std::string& display, const std::string& screen)
{
    const char* argv[] = {program.c_str(), display.c_str(), "-screen", "0", screen.c_str(), "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

} // namespace

XvfbServer::XvfbServer(const std::string& screen)
{
    const std::string program = FindProgram("Xvfb");
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
        const pid_t pid = Spawn(program, ":" + std::to_string(n), screen);
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
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

} // namespace velvane::test
