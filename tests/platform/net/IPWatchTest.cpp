#include "platform/net/IPWatch.h"
#include "platform/rtl/Exceptions.h"

#include "platform/rtl/AppPaths.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <net/if.h>

#include <algorithm>
#include <filesystem>

using namespace velvane;

namespace {

class FixedClock : public TClock {
public:
    TDateTime When = EncodeDate(2024, 5, 1) + EncodeTime(10, 20, 30, 0);
    TDateTime Now() const override { return When; }
};

class IPWatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetClock(&clock);
        watch.InterfaceSource = [this] { return interfaces; };
        watch.OnStatusChanged = [this](QObject*) { ++changes; };
    }
    void TearDown() override { SetClock(nullptr); }

    void Interfaces(std::vector<TNetInterfaceAddress> list) { interfaces = std::move(list); }
    String History() { return ReadFileBytes(GetAppFilePath() + "iphist.dat"); }

    static constexpr unsigned up = IFF_UP | IFF_RUNNING;
    test::TempEnv env;
    FixedClock clock;
    std::vector<TNetInterfaceAddress> interfaces{{"lo", up | IFF_LOOPBACK, "127.0.0.1"}};
    int changes = 0;
    TIdIPWatch watch{nullptr};
};

} // namespace

TEST_F(IPWatchTest, OnlineOnlyWithAnUpNonLoopbackAddress)
{
    watch.SetActive(true);
    EXPECT_TRUE(watch.Active());
    EXPECT_FALSE(watch.IsOnline());
    EXPECT_EQ(watch.CurrentIP(), "");

    Interfaces({{"lo", up | IFF_LOOPBACK, "127.0.0.1"}, {"eth0", 0, "192.168.1.5"}});
    EXPECT_FALSE(watch.IsOnline());  // the interface is down

    Interfaces({{"lo", up | IFF_LOOPBACK, "127.0.0.1"}, {"eth0", up, "192.168.1.5"}, {"wlan0", up, "10.0.0.7"}});
    EXPECT_TRUE(watch.IsOnline());
    EXPECT_EQ(watch.CurrentIP(), "192.168.1.5");

    Interfaces({{"lo", up | IFF_LOOPBACK, "127.0.0.1"}});
    EXPECT_FALSE(watch.IsOnline());
    EXPECT_EQ(watch.PreviousIP(), "192.168.1.5");
}

TEST_F(IPWatchTest, StatusChangesFireOncePerChange)
{
    watch.SetActive(true);
    EXPECT_EQ(changes, 1);  // the first check
    watch.IsOnline();
    EXPECT_EQ(changes, 1);
    Interfaces({{"eth0", up, "192.168.1.5"}});
    watch.IsOnline();
    watch.IsOnline();
    EXPECT_EQ(changes, 2);
    Interfaces({{"eth0", up, "192.168.1.6"}});
    watch.ForceCheck();
    EXPECT_EQ(changes, 3);
}

TEST_F(IPWatchTest, HistoryRecordsEachNewAddressWithItsTime)
{
    watch.SetActive(true);
    EXPECT_FALSE(FileExists(GetAppFilePath() + "iphist.dat"));  // offline records nothing

    Interfaces({{"eth0", up, "192.168.1.5"}});
    watch.IsOnline();
    clock.When += 1.0 / 24;
    watch.IsOnline();  // same address: no new line
    Interfaces({{"eth0", up, "10.1.2.3"}});
    watch.IsOnline();
    Interfaces({});
    watch.IsOnline();
    Interfaces({{"eth0", up, "192.168.1.5"}});
    watch.IsOnline();
    EXPECT_EQ(History(), "192.168.1.5\t2024-05-01 10:20:30\n"
                         "10.1.2.3\t2024-05-01 11:20:30\n"
                         "192.168.1.5\t2024-05-01 11:20:30\n");
    EXPECT_EQ(watch.IPHistoryList().size(), 3u);
}

TEST_F(IPWatchTest, HistoryKeepsTheNewestEntriesAcrossRuns)
{
    AtomicWriteFile(GetAppFilePath() + "iphist.dat", "10.0.0.1\t2020-01-01 00:00:00\n10.0.0.2\t2020-01-02 00:00:00\n");
    watch.MaxHistoryEntries = 3;
    watch.SetActive(true);
    Interfaces({{"eth0", up, "10.0.0.2"}});
    watch.IsOnline();  // the newest entry already: the file stays as it was
    EXPECT_EQ(History(), "10.0.0.1\t2020-01-01 00:00:00\n10.0.0.2\t2020-01-02 00:00:00\n");

    Interfaces({{"eth0", up, "10.0.0.3"}});
    watch.IsOnline();
    Interfaces({{"eth0", up, "10.0.0.4"}});
    watch.IsOnline();
    EXPECT_EQ(History(), "10.0.0.2\t2020-01-02 00:00:00\n"
                         "10.0.0.3\t2024-05-01 10:20:30\n"
                         "10.0.0.4\t2024-05-01 10:20:30\n");
}

TEST_F(IPWatchTest, HistoryCanBeTurnedOffOrMoved)
{
    watch.HistoryEnabled = false;
    Interfaces({{"eth0", up, "192.168.1.5"}});
    watch.SetActive(true);
    EXPECT_TRUE(watch.IsOnline());
    EXPECT_FALSE(FileExists(GetAppFilePath() + "iphist.dat"));

    TIdIPWatch other(nullptr);
    other.InterfaceSource = [this] { return interfaces; };
    other.HistoryFilename = env.Path("elsewhere.dat");
    other.SetActive(true);
    EXPECT_EQ(ReadFileBytes(env.Path("elsewhere.dat")), "192.168.1.5\t2024-05-01 10:20:30\n");
}

// Between calls the timer notices a change on its own, and stops with Active.
TEST_F(IPWatchTest, TheTimerChecksWhileActive)
{
    test::EnsureQtApp();
    watch.WatchInterval = 10;
    watch.SetActive(true);
    Interfaces({{"eth0", up, "192.168.1.5"}});
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return changes == 2; }));
    EXPECT_EQ(History(), "192.168.1.5\t2024-05-01 10:20:30\n");

    watch.SetActive(false);
    Interfaces({});
    test::ProcessEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(changes, 2);
}

// The real machine: loopback is never what makes it online.
TEST(IPWatchSystemTest, SystemAddressesIncludeLoopbackMarkedAsSuch)
{
    bool sawLoopback = false;
    for (const auto& a : SystemInterfaceAddresses())
        if (a.Address == "127.0.0.1") sawLoopback = (a.Flags & IFF_LOOPBACK) != 0;
    EXPECT_TRUE(sawLoopback);
}

TEST_F(IPWatchTest, AHistoryThatCannotBeWrittenHidesNoChangeAndLosesNoEntry)
{
    test::TempEnv env;
    const String folder = env.Path("history");
    watch.HistoryFilename = folder + "/iphist.dat";  // the folder does not exist yet
    std::vector<String> problems;
    watch.OnHistoryError = [&](QObject*, const Exception& e) { problems.push_back(e.ClassName()); };
    Interfaces({{"lo", up | IFF_LOOPBACK, "127.0.0.1"}, {"eth0", up, "192.0.2.5"}});
    EXPECT_TRUE(watch.IsOnline()) << "the history does not change the answer";
    EXPECT_EQ(changes, 1) << "the change is told all the same";
    EXPECT_TRUE(watch.IsOnline());
    Interfaces({{"eth0", up, "192.0.2.6"}});
    EXPECT_EQ(watch.CurrentIP(), "192.0.2.6");
    EXPECT_EQ(problems, std::vector<String>{"EFCreateError"}) << "told once";

    std::filesystem::create_directory(folder);
    Interfaces({{"lo", up | IFF_LOOPBACK, "127.0.0.1"}, {"eth0", up, "192.0.2.5"}});
    watch.ForceCheck();
    String history = ReadFileBytes(folder + "/iphist.dat");
    EXPECT_EQ(history.rfind("192.0.2.5\t", 0), 0u) << history;
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 1);
}
