#include "platform/win/MMSystem.h"
#include "platform/win/WinError.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace velvane;
using velvane::test::Watchdog;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct Recorder {
    std::atomic<int> count{0};
    std::atomic<Clock::rep> last{0};
    std::atomic<bool> inside{false}, finished{false};
    std::atomic<UINT> killFromInside{0};
    MMRESULT killResult = 99;
    Clock::duration hold{0};
};

void Record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* r = reinterpret_cast<Recorder*>(user);
    r->last = Clock::now().time_since_epoch().count();
    ++r->count;
    if (const UINT id = r->killFromInside.exchange(0)) r->killResult = timeKillEvent(id);
    if (r->hold > Clock::duration::zero()) {
        r->inside = true;
        std::this_thread::sleep_for(r->hold);
        r->finished = true;
    }
}

UINT Start(Recorder& r, UINT delay, UINT kind = TIME_PERIODIC)
{
    return timeSetEvent(delay, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), kind);
}

} // namespace

TEST(MultimediaTimer, PeriodicEventKeepsItsPeriodOverTwoSeconds)
{
    Recorder r;
    ASSERT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    const auto start = Clock::now();
    const UINT id = Start(r, 20);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_until(start + 2010ms);
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    timeEndPeriod(1);
    // 100 deadlines in 2 s; a few may be lost to a busy machine, none added.
    EXPECT_GE(r.count.load(), 95);
    EXPECT_LE(r.count.load(), 100);
    // Deadlines are absolute: the last tick is as late as its number says.
    using Ms = std::chrono::duration<double, std::milli>;
    EXPECT_NEAR(Ms(Clock::time_point(Clock::duration(r.last.load())) - start).count(), 2000.0, 40.0);
}

TEST(MultimediaTimer, KillWaitsForARunningCallbackOrEndsItsOwnEvent)
{
    Watchdog watchdog(20s, "killing a timer");
    Recorder held;
    held.hold = 150ms;
    const UINT id = Start(held, 5);
    while (!held.inside) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_TRUE(held.finished);  // the callback had ended when the kill returned
    const int count = held.count;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(held.count, count);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);

    // Killed from its own callback: no dead lock, and no tick after it.
    Recorder self;
    self.killFromInside = Start(self, 5);
    while (self.count == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(self.count, 1);
    EXPECT_EQ(self.killResult, TIMERR_NOERROR);
}

TEST(MultimediaTimer, OneShotFiresOnceAndIsGoneAfterwards)
{
    Recorder r;
    const UINT first = Start(r, 10, TIME_ONESHOT);
    ASSERT_NE(first, 0u);
    while (r.count == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(timeKillEvent(first), MMSYSERR_INVALPARAM);

    // Ids are not given out twice; refused settings give none.
    const UINT second = Start(r, 1000, TIME_ONESHOT);
    EXPECT_GT(second, first);
    EXPECT_EQ(timeKillEvent(second), TIMERR_NOERROR);
    EXPECT_EQ(timeSetEvent(0, 0, &Record, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, nullptr, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, &Record, 0, 0x10), 0u);
}
