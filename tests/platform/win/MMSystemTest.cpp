#include "platform/win/MMSystem.h"
#include "platform/win/WinError.h"
#include "tests/support/Eventually.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/ThreadsOfThisProcess.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace velvane;
using test::Eventually;
using test::ThreadAlive;
using test::Watchdog;
using namespace std::chrono_literals;

namespace {

// What the callbacks saw. The timers run on a clock of the test's, which a
// callback may move on to stand for the time it takes.
struct Recorder {
    test::FakeTickClock* clock = nullptr;
    std::atomic<std::chrono::milliseconds::rep> work{0};
    std::mutex mutex;
    std::vector<TTickClock::time_point> at;
    std::atomic<pid_t> thread{0};
    std::atomic<bool> inside{false}, finished{false};
    std::atomic<UINT> killFromInside{0};
    MMRESULT killResult = 99;
    std::chrono::milliseconds hold{0};
    std::atomic<int> count{0};  // last: whoever sees it sees the rest
};

void Record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* r = reinterpret_cast<Recorder*>(user);
    r->thread = gettid();
    {
        std::lock_guard lock(r->mutex);
        r->at.push_back(TickClock().Now());
    }
    if (r->work > 0) r->clock->Advance(std::chrono::milliseconds(r->work));
    if (const UINT id = r->killFromInside.exchange(0)) r->killResult = timeKillEvent(id);
    if (r->hold > 0ms) {
        r->inside = true;
        std::this_thread::sleep_for(r->hold);
        r->finished = true;
    }
    ++r->count;
}

UINT Start(Recorder& r, UINT delay, UINT kind = TIME_PERIODIC)
{
    return timeSetEvent(delay, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), kind);
}

// Once the event's thread has ended, time moves on and no tick follows.
void NoMoreTicks(Recorder& r, test::FakeTickClock& clock, int count)
{
    ASSERT_TRUE(Eventually([&] { return !ThreadAlive(r.thread); }));
    clock.Advance(1000ms);
    EXPECT_EQ(r.count, count);
}

} // namespace

TEST(MultimediaTimer, PeriodicEventKeepsAbsoluteDeadlinesOverTwoSecondsAndSkipsThoseItMissed)
{
    Watchdog dog(60s, "a periodic event on the test's clock");
    test::FakeTickClock clock;
    Recorder r;
    r.clock = &clock;
    r.work = 7;  // every callback takes 7 ms: the next deadline does not move for it
    const auto start = clock.Now();
    const UINT id = Start(r, 20);
    ASSERT_NE(id, 0u);
    std::vector<TTickClock::time_point> expected;
    const auto tickAt = [&](TTickClock::time_point due) {
        // Waited for exactly then: no tick comes early, none late.
        ASSERT_TRUE(Eventually([&] { return clock.Waiting(due); })) << (due - start).count();
        clock.AdvanceTo(due);
        expected.push_back(due);
        ASSERT_TRUE(Eventually([&] { return r.count == static_cast<int>(expected.size()); }));
    };
    for (int k = 1; k <= 100; ++k) ASSERT_NO_FATAL_FAILURE(tickAt(start + k * 20ms));

    // A callback that overruns four deadlines: they are skipped, not fired
    // in a burst, and the next is still on the grid.
    r.work = 90;
    ASSERT_NO_FATAL_FAILURE(tickAt(start + 2020ms));
    r.work = 0;
    ASSERT_NO_FATAL_FAILURE(tickAt(start + 2120ms));
    ASSERT_NO_FATAL_FAILURE(tickAt(start + 2140ms));
    {
        std::lock_guard lock(r.mutex);
        EXPECT_EQ(r.at, expected);
    }

    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    NoMoreTicks(r, clock, static_cast<int>(expected.size()));
}

TEST(MultimediaTimer, KillWaitsForARunningCallbackOrEndsItsOwnEvent)
{
    Watchdog watchdog(30s, "killing a timer");
    test::FakeTickClock clock;
    Recorder held;
    held.hold = 150ms;
    const UINT id = Start(held, 5);
    clock.Advance(5ms);
    ASSERT_TRUE(Eventually([&] { return held.inside.load(); }));
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_TRUE(held.finished);  // the callback had ended when the kill returned
    NoMoreTicks(held, clock, 1);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);

    // Killed from its own callback: no dead lock, its thread ends, and no
    // tick comes after it.
    Recorder self;
    self.killFromInside = Start(self, 5);
    clock.Advance(5ms);
    ASSERT_TRUE(Eventually([&] { return self.count == 1; }));
    NoMoreTicks(self, clock, 1);
    EXPECT_EQ(self.killResult, TIMERR_NOERROR);
}

TEST(MultimediaTimer, OneShotFiresOnceAndIsGoneAfterwards)
{
    Watchdog watchdog(30s, "a one-shot event");
    test::FakeTickClock clock;
    Recorder r;
    const auto start = clock.Now();
    const UINT first = Start(r, 10, TIME_ONESHOT);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(Eventually([&] { return clock.Waiting(start + 10ms); }));
    clock.Advance(10ms);
    ASSERT_TRUE(Eventually([&] { return r.count == 1; }));
    NoMoreTicks(r, clock, 1);
    EXPECT_EQ(timeKillEvent(first), MMSYSERR_INVALPARAM);

    // Ids are not given out twice; refused settings give none.
    const UINT second = Start(r, 1000, TIME_ONESHOT);
    EXPECT_GT(second, first);
    EXPECT_EQ(timeKillEvent(second), TIMERR_NOERROR);
    EXPECT_EQ(timeSetEvent(0, 0, &Record, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, nullptr, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, &Record, 0, 0x10), 0u);
}
