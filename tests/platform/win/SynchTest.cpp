#include "platform/win/Synch.h"
#include "platform/win/WinError.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <unistd.h>

#include <string>

using namespace velvane;

namespace {

// A second process holding the mutex until its input closes (or it is
// killed); its first line says whether the mutex existed when it opened it.
struct Holder {
    explicit Holder(const std::string& name)
    {
        process.start(MUTEX_HOLDER, {QString::fromStdString(name)});
        EXPECT_TRUE(process.waitForStarted() && process.waitForReadyRead());
        line = process.readLine().trimmed().toStdString();
    }
    ~Holder() { LetGo(); }
    void LetGo()
    {
        process.closeWriteChannel();
        process.waitForFinished();
    }
    QProcess process;
    std::string line;
};

std::string UniqueName(const char* what)
{
    return std::string("VelvaneTest ") + what + " " + std::to_string(::getpid());
}

} // namespace

TEST(NamedMutex, TwoProcessesSeeTheSameNameUntilTheHolderDies)
{
    test::TempEnv env;
    const std::string name = UniqueName("KESTRIN");

    Holder first(name);
    ASSERT_EQ(first.line, "existed=0");
    HANDLE mine = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CloseHandle(mine));

    // Killed without a chance to clean up: the name is free again.
    first.process.kill();
    first.process.waitForFinished();
    mine = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    // While this process holds it, another one finds it, and that one
    // leaving does not free a name still held here.
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Holder(name).line, "existed=1");
    ASSERT_TRUE(CloseHandle(mine));
    EXPECT_EQ(Holder(name).line, "existed=0");
}

TEST(NamedMutex, SameProcessNamesAndHandles)
{
    test::TempEnv env;
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
