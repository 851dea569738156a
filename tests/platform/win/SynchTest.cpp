#include "platform/win/Synch.h"
#include "platform/win/WinError.h"
#include "tests/support/RuntimeFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

extern char** environ;

using namespace velvane;
using velvane::test::RuntimeFolder;

namespace {

// A second process holding the mutex until told to let go (or killed).
class Holder {
public:
    explicit Holder(const std::string& name)
    {
        int in[2], out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        char* argv[] = {const_cast<char*>(MUTEX_HOLDER), const_cast<char*>(name.c_str()), nullptr};
        EXPECT_EQ(posix_spawn(&pid_, MUTEX_HOLDER, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        // Its first line says whether the mutex existed when it opened it.
        char c;
        while (::read(fromChild_, &c, 1) == 1 && c != '\n') line_ += c;
    }
    ~Holder()
    {
        if (toChild_ >= 0) ::close(toChild_);
        if (fromChild_ >= 0) ::close(fromChild_);
        if (pid_ > 0) Wait();
    }
    bool FoundItExisting() const { return line_ == "existed=1"; }
    const std::string& Line() const { return line_; }
    void LetGo()
    {
        ::close(toChild_);
        toChild_ = -1;
        Wait();
    }
    void Kill()
    {
        ::kill(pid_, SIGKILL);
        Wait();
    }

private:
    void Wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string line_;
};

std::string UniqueName(const char* what)
{
    return std::string("VelvaneTest ") + what + " " + std::to_string(::getpid());
}

} // namespace

TEST(NamedMutex, TwoProcessesSeeTheSameNameUntilTheHolderDies)
{
    RuntimeFolder runtime;
    const std::string name = UniqueName("KESTRIN");

    Holder first(name);
    ASSERT_EQ(first.Line(), "existed=0");
    HANDLE mine = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CloseHandle(mine));

    // Killed without a chance to clean up: the name is free again.
    first.Kill();
    mine = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    // While this process holds it, another one finds it.
    {
        Holder second(name);
        EXPECT_TRUE(second.FoundItExisting());
        second.LetGo();
    }
    // The second process leaving does not free a name still held here.
    Holder third(name);
    EXPECT_TRUE(third.FoundItExisting());
    third.LetGo();
    ASSERT_TRUE(CloseHandle(mine));
    Holder fourth(name);
    EXPECT_EQ(fourth.Line(), "existed=0");
}

TEST(NamedMutex, SameProcessNamesAndHandles)
{
    RuntimeFolder runtime;
    const std::string name = UniqueName("twice");
    HANDLE a = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE b = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Names are told apart exactly, whatever characters they hold; mutexes
    // without a name never meet.
    for (const char* other : std::initializer_list<const char*>{"/x", "%2Fx", "\\x", "/../..", nullptr}) {
        const std::string full = name + (other ? other : "") + std::string(other && other[1] == '.' ? 300 : 0, 'n');
        HANDLE h = CreateMutexA(nullptr, FALSE, other ? full.c_str() : nullptr);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << full;
        EXPECT_TRUE(CloseHandle(h));
    }
    EXPECT_TRUE(CloseHandle(a) && CloseHandle(b));
    EXPECT_FALSE(CloseHandle(b));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(CreateMutexA(nullptr, FALSE, name.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}
