#include "components/foundation/velclass.h"
#include "platform/forms/Application.h"
#include "tests/support/QtApp.h"
#include "tests/support/Raises.h"
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
    TVELApplication app;

    // One WM_TIMER of the pool's window, as the window timer would send it.
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i) SendMessageA(app.TimerPool()->WindowHandle(), WM_TIMER, 1, 0);
    }
};

} // namespace

TEST_F(ApplicationObject, ASecondOneInTheSameProgramFindsTheFirstsMutex)
{
    EXPECT_FALSE(app.AlreadyRunning);
    EXPECT_TRUE(TVELApplication().AlreadyRunning);
}

TEST_F(ApplicationObject, TwoHundredFiftySlotsLowestFreeFirst)
{
    std::vector<std::uint16_t> idents;
    for (int i = 0; i < 250; ++i) idents.push_back(app.AllocTimer(50, nullptr));
    EXPECT_EQ(idents.front(), 0xFD01);
    EXPECT_EQ(idents.back(), 0xFDFA);
    EXPECT_EQ(app.AllocTimer(50, nullptr), 0);

    app.ReleaseTimer(0xFD05);
    app.ReleaseTimer(0xFD03);
    EXPECT_EQ(app.FindTimer(0xFD05), nullptr);
    EXPECT_EQ(app.AllocTimer(100, nullptr), 0xFD03);
    EXPECT_EQ(app.AllocTimer(100, nullptr), 0xFD05);
    app.ReleaseTimer(0x1234);  // not a slot: nothing happens
    EXPECT_EQ(app.TimerPool()->Count(), 250);
    // A refused interval takes no slot.
    app.ReleaseTimer(0xFD07);
    EXPECT_EQ(MessageOf<Exception>([&] { app.AllocTimer(125, nullptr); }),
              "Interval not compatible with MinInterval property!");
    EXPECT_THROW(app.AllocTimer(25, nullptr), Exception);
    EXPECT_EQ(app.AllocTimer(50, nullptr), 0xFD07);
}

TEST_F(ApplicationObject, IntervalsFireOnEveryKthTickAndCallCountsStopThem)
{
    int every = 0, third = 0, counted = 0;
    app.AllocTimer(50, [&](TPersistent* sender) { every += sender == app.TimerPool(); });
    const std::uint16_t slow = app.AllocTimer(150, [&](TPersistent*) { ++third; });
    TVELTimerItem* limited = app.FindTimer(app.AllocTimer(50, [&](TPersistent*) { ++counted; }));
    limited->CallCount = 3;
    EXPECT_TRUE(app.TimerPool()->Active());
    Tick(9);
    EXPECT_EQ(every, 9);
    EXPECT_EQ(third, 3);
    EXPECT_EQ(counted, 3);
    EXPECT_FALSE(limited->Enabled());
    limited->SetEnabled(true);  // counts again from the start
    Tick(4);
    EXPECT_EQ(counted, 6);
    limited->CallCount = 0;
    limited->SetEnabled(true);  // refused: it may not fire at all
    EXPECT_FALSE(limited->Enabled());

    // A new period counts from the change; one that is not a multiple is ignored.
    TVELTimerItem* item = app.FindTimer(slow);
    item->SetInterval(120);
    EXPECT_EQ(item->Interval(), 150);
    item->SetInterval(0);
    EXPECT_EQ(item->Ratio(), 1);
}

TEST_F(ApplicationObject, HandlersMayFailOrReleaseTimersAndThePoolStopsWhenEmpty)
{
    std::vector<String> reported;
    Application->OnException = [&](TPersistent* sender, const Exception& e) {
        EXPECT_EQ(sender, app.TimerPool());
        reported.push_back(e.Message());
    };
    int calls = 0, poolEvents = 0;
    const std::uint16_t failing = app.AllocTimer(50, [&](TPersistent*) {
        if (++calls == 2) throw EInvalidOperation("tick failed");
    });
    std::uint16_t self = 0;
    self = app.AllocTimer(50, [&](TPersistent*) { app.ReleaseTimer(self); });
    Tick(4);
    Application->OnException = nullptr;
    EXPECT_EQ(reported, std::vector<String>{"tick failed"});
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(app.FindTimer(self), nullptr);

    // Without a handler of its own a timer goes to the pool's event.
    app.TimerPool()->OnTimer = [&](TPersistent*, std::uint16_t ident, int) { poolEvents += ident == failing; };
    app.FindTimer(failing)->OnTimer = nullptr;
    Tick(2);
    EXPECT_EQ(poolEvents, 2);
    app.ReleaseTimer(failing);
    EXPECT_FALSE(app.TimerPool()->Active());
}

TEST_F(ApplicationObject, PoolRunsOnTheEventLoop)
{
    int fired = 0;
    app.AllocTimer(50, [&](TPersistent*) { ++fired; });
    EXPECT_TRUE(velvane::test::ProcessEventsUntil([&] { return fired >= 3; }));
}

TEST_F(ApplicationObject, CheckerPatternFollowsTheLastColour)
{
    EXPECT_EQ(app.GetCheckerBitmap(clVELNone), nullptr);
    TBitmap* red = app.GetCheckerBitmap(clRed);
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->Width(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(red->Canvas().Pixels(x, y), (x + y) % 2 ? clRed : clWhite) << x << "," << y;
    TBitmap* blue = app.GetCheckerBitmap(clBlue);
    EXPECT_EQ(blue, red);  // one pattern, recoloured
    EXPECT_EQ(blue->Canvas().Pixels(7, 0), clBlue);
    EXPECT_EQ(blue->Canvas().Pixels(7, 7), clWhite);
}
