#include "components/velclass.h"
#include "platform/forms/Application.h"
#include "tests/support/QtApp.h"
#include "tests/support/Raises.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velvane;
using velvane::test::MessageOf;

namespace {

struct ApplicationObject : ::testing::Test {
    ApplicationObject() { velvane::test::EnsureApplication(); }
    velvane::test::TempEnv env;
    velvane::test::RuntimeFolder runtime;
    TVELApplication app;

    // One WM_TIMER of the pool's window, as the window timer would send it.
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i) SendMessageA(app.TimerPool()->WindowHandle(), WM_TIMER, 1, 0);
    }
};

} // namespace

TEST_F(ApplicationObject, StartsFromTheSystemsAnswers)
{
    EXPECT_EQ(app.PerfFrequency, 1000000000);
    EXPECT_EQ(app.CheckWidth, 13);  // the check-box strip's cell
    EXPECT_EQ(app.CheckHeight, 13);
    EXPECT_EQ(app.TimerPool()->MinInterval(), 50);
    EXPECT_FALSE(app.TimerPool()->Active());
    EXPECT_FALSE(app.AlreadyRunning);
    // A second one in the same program finds the mutex of the first.
    TVELApplication second;
    EXPECT_TRUE(second.AlreadyRunning);

    EXPECT_EQ(app.LogName, env.DataHome() + "/velvane/test_components.LOG");
    app.LogPrefix = TVELPathPrefix::ppWindows;
    app.MakeLogFileName("/var/tmp/kestrin.txt");
    EXPECT_EQ(app.LogName, env.ConfigHome() + "/velvane/kestrin.txt");
    app.LogPrefix = TVELPathPrefix::ppFixed;
    app.MakeLogFileName("/var/tmp/kestrin.txt");
    EXPECT_EQ(app.LogName, "/var/tmp/kestrin.txt");
}

TEST_F(ApplicationObject, TwoHundredFiftySlotsLowestFreeFirst)
{
    std::vector<std::uint16_t> idents;
    for (int i = 0; i < 250; ++i) idents.push_back(app.AllocTimer(50, nullptr));
    EXPECT_EQ(idents.front(), 0xFD01);
    EXPECT_EQ(idents.back(), 0xFDFA);
    EXPECT_EQ(app.AllocTimer(50, nullptr), 0);
    EXPECT_EQ(app.TimerPool()->Count(), 250);

    app.ReleaseTimer(0xFD05);
    app.ReleaseTimer(0xFD03);
    EXPECT_EQ(app.FindTimer(0xFD05), nullptr);
    EXPECT_EQ(app.AllocTimer(100, nullptr), 0xFD03);
    EXPECT_EQ(app.AllocTimer(100, nullptr), 0xFD05);
    app.ReleaseTimer(0x1234);  // not a slot: nothing happens
    EXPECT_EQ(app.TimerPool()->Count(), 250);
    // A refused interval takes no slot.
    app.ReleaseTimer(0xFD07);
    EXPECT_THROW(app.AllocTimer(75, nullptr), Exception);
    EXPECT_EQ(app.AllocTimer(50, nullptr), 0xFD07);
}

TEST_F(ApplicationObject, IntervalsFireOnEveryKthTick)
{
    int every = 0, third = 0;
    EXPECT_EQ(MessageOf<Exception>([&] { app.AllocTimer(125, nullptr); }),
              "Interval not compatible with MinInterval property!");
    EXPECT_THROW(app.AllocTimer(25, nullptr), Exception);
    app.AllocTimer(50, [&](TPersistent* sender) {
        EXPECT_EQ(sender, app.TimerPool());
        ++every;
    });
    const std::uint16_t slow = app.AllocTimer(150, [&](TPersistent*) { ++third; });
    EXPECT_TRUE(app.TimerPool()->Active());
    EXPECT_EQ(app.FindTimer(slow)->Ratio(), 3);
    Tick(9);  // ticks 1..9
    EXPECT_EQ(every, 9);
    EXPECT_EQ(third, 3);

    EXPECT_EQ(MessageOf<Exception>([&] { app.TimerPool()->AddTimer(slow, 50, nullptr); }),
              "List index out of bounds (" + std::to_string(slow) + ")");

    // A new period counts from the change; one that is not a multiple is ignored.
    TVELTimerItem* item = app.FindTimer(slow);
    item->SetInterval(120);
    EXPECT_EQ(item->Interval(), 150);
    item->SetInterval(0);
    EXPECT_EQ(item->Interval(), 50);
    EXPECT_EQ(item->Ratio(), 1);
}

TEST_F(ApplicationObject, CallCountDisablesAndReEnablingStartsAgain)
{
    int fired = 0;
    const std::uint16_t ident = app.AllocTimer(50, [&](TPersistent*) { ++fired; });
    TVELTimerItem* item = app.FindTimer(ident);
    item->CallCount = 3;
    Tick(6);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(item->Enabled());
    item->SetEnabled(true);
    EXPECT_EQ(item->Counter(), 0);
    Tick(5);
    EXPECT_EQ(fired, 6);

    item->CallCount = 0;
    item->SetEnabled(true);  // refused: it may not fire at all
    EXPECT_FALSE(item->Enabled());
}

TEST_F(ApplicationObject, HandlerErrorsAreReportedAndTheTicksGoOn)
{
    std::vector<String> reported;
    Application->OnException = [&](TPersistent* sender, const Exception& e) {
        EXPECT_EQ(sender, app.TimerPool());
        reported.push_back(e.Message());
    };
    int calls = 0;
    app.AllocTimer(50, [&](TPersistent*) {
        if (++calls == 2) throw EInvalidOperation("tick failed");
    });
    Tick(4);
    Application->OnException = nullptr;
    EXPECT_EQ(reported, std::vector<String>{"tick failed"});
    EXPECT_EQ(calls, 4);
}

TEST_F(ApplicationObject, HandlersMayReleaseTimersAndThePoolStopsWhenEmpty)
{
    std::uint16_t self = 0;
    int other = 0, poolEvents = 0;
    self = app.AllocTimer(50, [&](TPersistent*) { app.ReleaseTimer(self); });
    const std::uint16_t second = app.AllocTimer(50, [&](TPersistent*) { ++other; });
    Tick(3);
    EXPECT_EQ(app.FindTimer(self), nullptr);
    EXPECT_GE(other, 2);

    // Without a handler of its own a timer goes to the pool's event.
    app.TimerPool()->OnTimer = [&](TPersistent*, std::uint16_t ident, int counter) {
        EXPECT_EQ(ident, second);
        EXPECT_GT(counter, 0);
        ++poolEvents;
    };
    app.FindTimer(second)->OnTimer = nullptr;
    Tick(2);
    EXPECT_EQ(poolEvents, 2);

    app.ReleaseTimer(second);
    EXPECT_FALSE(app.TimerPool()->Active());
    EXPECT_EQ(app.TimerPool()->ActiveTimers(), 0);

    TList<TVELTimerItem> list;
    EXPECT_EQ(MessageOf<EInvalidOperation>([&] { TVELTimerItem item(nullptr, 1, &list); }),
              "TVELTimerItem: Invalid Owner or List");
}

TEST_F(ApplicationObject, PoolRunsOnTheEventLoop)
{
    int fired = 0;
    app.AllocTimer(50, [&](TPersistent*) { ++fired; });
    EXPECT_TRUE(velvane::test::ProcessEventsUntil([&] { return fired >= 3; }));
}

TEST_F(ApplicationObject, CheckerPatternFollowsTheLastColour)
{
    EXPECT_EQ(app.GetCheckerBitmap(0x1FFFFFFF), nullptr);
    TBitmap* red = app.GetCheckerBitmap(clRed);
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->Width(), 8);
    ASSERT_EQ(red->Height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(red->Canvas().Pixels(x, y), (x + y) % 2 ? clRed : clWhite) << x << "," << y;
    EXPECT_EQ(app.GetCheckerBitmap(clRed), red);
    TBitmap* blue = app.GetCheckerBitmap(clBlue);
    EXPECT_EQ(blue, red);  // one pattern, recoloured
    EXPECT_EQ(blue->Canvas().Pixels(7, 0), clBlue);
    EXPECT_EQ(blue->Canvas().Pixels(7, 7), clWhite);
    EXPECT_EQ(app.LastColor(), clBlue);
}
