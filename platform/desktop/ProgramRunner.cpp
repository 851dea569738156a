#include "platform/desktop/ProgramRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

extern char** environ;

namespace velvane {

namespace {

// Closes the descriptors it holds however the function is left.
struct Pipe {
    int fd[2] = {-1, -1};
    ~Pipe()
    {
        for (int f : fd)
            if (f >= 0) close(f);
    }
};

struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
};

} // namespace

int RunProgram(const String& program, const std::vector<String>& args, String* output,
               std::chrono::milliseconds timeLimit)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const String& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    Pipe out;
    FileActions fa;
    posix_spawn_file_actions_addopen(&fa.actions, 0, "/dev/null", O_RDONLY, 0);
    if (output) {
        if (pipe2(out.fd, O_CLOEXEC) != 0) return -1;
        posix_spawn_file_actions_adddup2(&fa.actions, out.fd[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&fa.actions, 1, "/dev/null", O_WRONLY, 0);
    }

    // Its own process group, so that a program killed at its deadline takes
    // its children with it.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, program.c_str(), &fa.actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (spawned != 0) return -1;

    // A desktop tool that hangs (or leaves a child holding its output) must
    // not hang the program that asked: it gets a deadline, then is killed.
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    auto remainingMs = [&] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(0, left.count()));
    };
    if (output) {
        close(out.fd[1]);
        out.fd[1] = -1;
        output->clear();
        char buf[4096];
        for (;;) {
            pollfd pfd{out.fd[0], POLLIN, 0};
            int ready = poll(&pfd, 1, remainingMs());
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;  // deadline, or the pipe failed
            ssize_t n = read(out.fd[0], buf, sizeof buf);
            if (n > 0) output->append(buf, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR) break;
        }
    }

    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return -1;
        if (remainingMs() == 0) {
            kill(-pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace velvane
