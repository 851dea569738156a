#include "components/VELTimer.h"
#include "platform/forms/Application.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace velvane;
using velvane::test::ProcessEventsFor;
using velvane::test::ProcessEventsUntil;
using velvane::test::Watchdog;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct HiTimer : ::testing::Test {
    HiTimer() { velvane::test::EnsureApplication(); }
    Watchdog watchdog{30s, "high-resolution timer test"};
};

} // namespace

TEST_F(HiTimer, BothModesKeepTheirPeriodOverTwoSecondsAndStopWhenDisabled)
{
    for (bool useThread : {false, true}) {
        TVELHiTimer timer(nullptr);
        timer.SetUseThread(useThread);
        timer.SetInterval(20);
        std::atomic<int> ticks{0};
        timer.SetOnTimer([&](TPersistent* sender) { ticks += sender == &timer; });
        const auto start = Clock::now();
        timer.SetEnabled(true);
        ProcessEventsUntil([&] { return Clock::now() - start >= 2000ms; }, 5s);
        timer.SetEnabled(false);
        EXPECT_GE(ticks, 95) << useThread;
        EXPECT_LE(ticks, 101) << useThread;
        const int stopped = ticks;
        ProcessEventsFor(50ms);
        EXPECT_EQ(ticks, stopped) << useThread;
    }
}

TEST_F(HiTimer, LongIntervalsKeepAllTheirBits)
{
    TVELHiTimer timer(nullptr);
    int ticks = 0;
    timer.SetOnTimer([&](TPersistent*) { ++ticks; });
    timer.SetInterval(65536 + 20);  // 20 ms if cut to 16 bits
    timer.SetEnabled(true);
    EXPECT_EQ(timer.Interval(), 65556u);
    ProcessEventsFor(300ms);
    EXPECT_EQ(ticks, 0);
}

TEST_F(HiTimer, ATickRunningOnItsThreadEndsBeforeTheComponentGoes)
{
    auto* timer = new TVELHiTimer(nullptr);
    std::atomic<bool> inside{false}, finished{false};
    std::atomic<int> ticks{0};
    timer->SetSynchronize(false);
    timer->SetInterval(5);
    timer->SetOnTimer([&](TPersistent*) {
        ++ticks;
        inside = true;
        std::this_thread::sleep_for(100ms);
        finished = true;
    });
    timer->SetEnabled(true);
    while (!inside) std::this_thread::sleep_for(1ms);
    delete timer;
    EXPECT_TRUE(finished);
    const int seen = ticks;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ticks, seen);
}

TEST_F(HiTimer, AHandlerMayFreeItsTimerAndTicksDoNotNest)
{
    for (bool useThread : {true, false}) {
        auto* timer = new TVELHiTimer(nullptr);
        int ticks = 0;
        bool freed = false;
        timer->SetUseThread(useThread);
        timer->SetInterval(5);
        timer->SetOnTimer([&](TPersistent*) {
            ++ticks;
            delete timer;
            freed = true;
        });
        timer->SetEnabled(true);
        EXPECT_TRUE(ProcessEventsUntil([&] { return freed; }));
        ProcessEventsFor(60ms);
        EXPECT_EQ(ticks, 1) << useThread;
    }

    // Ticks that arrive while the handler runs are dropped, not nested.
    TVELHiTimer timer(nullptr);
    timer.SetUseThread(false);
    timer.SetInterval(5);
    int depth = 0, deepest = 0, ticks = 0;
    timer.SetOnTimer([&](TPersistent*) {
        deepest = std::max(deepest, ++depth);
        if (++ticks == 1) ProcessEventsFor(80ms);
        --depth;
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(deepest, 1);
}
