#include "components/foundation/VELTimer.h"
#include "platform/forms/Application.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestApp.h"
#include "tests/support/ThreadsOfThisProcess.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <set>
#include <thread>
#include <vector>

using namespace velvane;
using velvane::test::ProcessEventsUntil;
using velvane::test::ThreadAlive;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

struct HiTimer : ::testing::Test {
    HiTimer() { velvane::test::EnsureApplication(); }

    // Enables the timer and returns the one thread that came with it.
    pid_t Start(TVELHiTimer& timer)
    {
        const std::set<pid_t> before = test::ThreadsOfThisProcess();
        timer.SetEnabled(true);
        std::vector<pid_t> added;
        const std::set<pid_t> now = test::ThreadsOfThisProcess();
        std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::back_inserter(added));
        return added.size() == 1 ? added[0] : 0;
    }

    Watchdog watchdog{60s, "high-resolution timer test"};
    test::FakeTickClock clock;
};

} // namespace

TEST_F(HiTimer, BothModesTickOnTheirDeadlinesAndStopWhenDisabled)
{
    for (bool useThread : {false, true}) {
        SCOPED_TRACE(useThread ? "thread" : "multimedia timer");
        TVELHiTimer timer(nullptr);
        timer.SetUseThread(useThread);
        timer.SetInterval(20);
        std::vector<TTickClock::time_point> ticks;  // on the main thread in both modes
        timer.SetOnTimer([&](TPersistent* sender) {
            if (sender == &timer) ticks.push_back(clock.Now());
        });
        const auto start = clock.Now();
        const pid_t thread = Start(timer);
        ASSERT_NE(thread, 0);
        for (std::size_t k = 1; k <= 100; ++k) {
            const auto due = start + static_cast<int>(k) * 20ms;
            ASSERT_TRUE(ProcessEventsUntil([&] { return clock.Waiting(due); })) << k;
            clock.AdvanceTo(due);
            ASSERT_TRUE(ProcessEventsUntil([&] { return ticks.size() == k; })) << k;
            ASSERT_EQ(ticks.back(), due) << k;
        }
        timer.SetEnabled(false);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !ThreadAlive(thread); }));
        clock.Advance(1000ms);
        ASSERT_TRUE(ProcessEventsUntil([] { return !CheckSynchronize(); }));
        EXPECT_EQ(ticks.size(), 100u);
    }
}

TEST_F(HiTimer, LongIntervalsKeepAllTheirBits)
{
    for (bool useThread : {true, false}) {
        TVELHiTimer timer(nullptr);
        timer.SetUseThread(useThread);
        int ticks = 0;
        timer.SetOnTimer([&](TPersistent*) { ++ticks; });
        timer.SetInterval(65536 + 20);  // 20 ms if cut to 16 bits
        const auto start = clock.Now();
        timer.SetEnabled(true);
        EXPECT_TRUE(ProcessEventsUntil([&] { return clock.Waiting(start + 65556ms); })) << useThread;
        EXPECT_EQ(ticks, 0);
        clock.AdvanceTo(start + 65556ms);
        EXPECT_TRUE(ProcessEventsUntil([&] { return ticks == 1; })) << useThread;
    }
}

TEST_F(HiTimer, ATickRunningOnItsThreadEndsBeforeTheComponentGoes)
{
    auto* timer = new TVELHiTimer(nullptr);
    std::atomic<bool> inside{false}, finished{false};
    std::atomic<int> ticks{0};
    std::atomic<pid_t> thread{0};
    timer->SetSynchronize(false);
    timer->SetInterval(5);
    timer->SetOnTimer([&](TPersistent*) {
        ++ticks;
        thread = gettid();
        inside = true;
        std::this_thread::sleep_for(100ms);
        finished = true;
    });
    timer->SetEnabled(true);
    clock.Advance(5ms);
    ASSERT_TRUE(ProcessEventsUntil([&] { return inside.load(); }));
    delete timer;
    EXPECT_TRUE(finished);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !ThreadAlive(thread); }));
    clock.Advance(50ms);
    EXPECT_EQ(ticks, 1);
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
        const pid_t thread = Start(*timer);
        ASSERT_NE(thread, 0);
        clock.Advance(5ms);
        EXPECT_TRUE(ProcessEventsUntil([&] { return freed; }));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !ThreadAlive(thread); })) << useThread;
        clock.Advance(50ms);
        ASSERT_TRUE(ProcessEventsUntil([] { return !CheckSynchronize(); }));
        EXPECT_EQ(ticks, 1) << useThread;
    }

    // A tick that arrives while the handler runs is dropped, not nested:
    // the handler lets the next deadline pass and serves the messages that
    // came, up to one posted behind the late tick.
    TVELHiTimer timer(nullptr);
    timer.SetUseThread(false);
    timer.SetInterval(5);
    bool served = false;
    HWND behind = AllocateHWnd([&](TMessage& m) { served = served || m.Msg == WM_USER; });
    int depth = 0, deepest = 0, ticks = 0;
    const auto start = clock.Now();
    timer.SetOnTimer([&](TPersistent*) {
        deepest = std::max(deepest, ++depth);
        if (++ticks == 1) {
            clock.AdvanceTo(start + 10ms);
            ASSERT_TRUE(ProcessEventsUntil([&] { return clock.Waiting(start + 15ms); }));
            PostMessageA(behind, WM_USER, 0, 0);
            ASSERT_TRUE(ProcessEventsUntil([&] { return served; }));
        }
        --depth;
    });
    timer.SetEnabled(true);
    clock.AdvanceTo(start + 5ms);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks == 1 && depth == 0; }));
    EXPECT_EQ(deepest, 1);
    // Later ticks come again.
    clock.AdvanceTo(start + 15ms);
    EXPECT_TRUE(ProcessEventsUntil([&] { return ticks == 2; }));
    DeallocateHWnd(behind);
}
