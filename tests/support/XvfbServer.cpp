#include "tests/support/XvfbServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

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

// Starts openbox on the display and waits until its start-up command has
// run. Openbox names its window on the root window early, before it has
// taken in the windows already there and before its event loop runs; a
// window shown in between is not mapped at all. The start-up command runs
// once both are done.
pid_t StartManager(const std::string& display)
{
    char dir[] = "/tmp/velvane-openbox-XXXXXX";
    if (!mkdtemp(dir)) return -1;
    const std::string ready = std::string(dir) + "/ready";
    const std::string on = "DISPLAY=" + display, touch = "touch " + ready;
    const char* argv[] = {"env", on.c_str(), "openbox", "--sm-disable", "--startup", touch.c_str(), nullptr};
    const pid_t pid = Spawn(argv);
    bool up = false, ended = pid <= 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!up && !ended && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        up = access(ready.c_str(), F_OK) == 0;
        ended = waitpid(pid, nullptr, WNOHANG) == pid;
    }
    unlink(ready.c_str());
    rmdir(dir);
    if (up && !ended) return pid;
    if (!ended) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

} // namespace

XvfbServer::XvfbServer(const std::string& screen, bool managed)
{
    const std::string program = FindProgram("Xvfb");
    installed_ = !program.empty() && (!managed || !FindProgram("openbox").empty());
    if (!installed_) {
        problem_ = program.empty() ? "Xvfb is not installed" : "openbox is not installed";
        return;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        problem_ = "no pipe for Xvfb's display number";
        return;
    }
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    // With -displayfd the server takes the first free display number itself
    // and writes it to the pipe once it takes connections, so two test
    // programs never end up on one server.
    const std::string fd = std::to_string(pipeFds[1]);
    const char* argv[] = {program.c_str(), "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-noreset", nullptr};
    const pid_t pid = Spawn(argv);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        problem_ = "Xvfb could not be started";
        return;
    }
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{pipeFds[0], POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0) continue;
        char buffer[16];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0) break;  // the server ended without a display
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        problem_ = "Xvfb did not come up";
        return;
    }
    pid_ = pid;
    display_ = ":" + number.substr(0, number.find('\n'));
    if (managed && (manager_ = StartManager(display_)) < 0) problem_ = "openbox did not come up";
}

std::string XvfbServer::Ended()
{
    for (auto [pid, name] : {std::pair{&pid_, "Xvfb"}, std::pair{&manager_, "openbox"}}) {
        int status = 0;
        if (*pid <= 0 || waitpid(*pid, &status, WNOHANG) != *pid) continue;
        *pid = -1;  // reaped: nothing left to end
        ended_ += std::string(ended_.empty() ? "" : "; ") + name + " ended " +
                  (WIFSIGNALED(status) ? "by signal " + std::to_string(WTERMSIG(status))
                                       : "with exit code " + std::to_string(WEXITSTATUS(status)));
    }
    return ended_;
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
