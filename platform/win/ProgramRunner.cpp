#include "platform/win/ProgramRunner.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

int RunProgram(const String& program, const std::vector<String>& args, String* output)
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

    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), &fa.actions, nullptr, argv.data(), environ) != 0) return -1;

    if (output) {
        close(out.fd[1]);
        out.fd[1] = -1;
        output->clear();
        char buf[4096];
        for (;;) {
            ssize_t n = read(out.fd[0], buf, sizeof buf);
            if (n > 0) output->append(buf, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR) break;
        }
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace velvane
