#include "platform/win/MMSystem.h"
#include "platform/win/WinError.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace velvane;
using velvane::test::Watchdog;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct Recorder {
    std::mutex mutex;
    std::vector<Clock::time_point> ticks;
    std::atomic<int> count{0};
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    std::atomic<UINT> killFromInside{0};
    MMRESULT killResult = 99;
    Clock::duration hold{0};
};

void Record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* r = reinterpret_cast<Recorder*>(user);
    {
        std::lock_guard lock(r->mutex);
        r->ticks.push_back(Clock::now());
    }
    ++r->count;
    if (const UINT id = r->killFromInside.exchange(0)) r->killResult = timeKillEvent(id);
    if (r->hold > Clock::duration::zero()) {
        r->inside = true;
        std::this_thread::sleep_for(r->hold);
        r->finished = true;
    }
}

} // namespace

TEST(MultimediaTimer, PeriodicEventKeepsItsPeriodOverTwoSeconds)
{
    Recorder r;
    ASSERT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    const auto start = Clock::now();
    const UINT id = timeSetEvent(20, 1, &Record, reinterpret_cast<DWORD_PTR>(&r), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_until(start + 2010ms);
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    timeEndPeriod(1);
    // 100 deadlines in 2 s; a few may be lost to a busy machine, none added.
    EXPECT_GE(r.count.load(), 95);
    EXPECT_LE(r.count.load(), 100);
    std::lock_guard lock(r.mutex);
    ASSERT_GE(r.ticks.size(), 2u);
    // Deadlines are absolute: the last tick is as late as its number says.
    const auto last = std::chrono::duration_cast<std::chrono::microseconds>(r.ticks.back() - start).count();
    EXPECT_NEAR(static_cast<double>(last), 2000000.0, 40000.0);
}

TEST(MultimediaTimer, KillWaitsForARunningCallbackAndNothingFollows)
{
    Watchdog watchdog(20s, "killing a timer");
    Recorder r;
    r.hold = 150ms;
    const UINT id = timeSetEvent(5, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    while (!r.inside) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_TRUE(r.finished);  // the callback had ended when the kill returned
    const int count = r.count;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(r.count, count);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST(MultimediaTimer, EventKilledFromItsOwnCallbackEndsThere)
{
    Watchdog watchdog(20s, "a timer killing itself");
    Recorder r;
    const UINT id = timeSetEvent(5, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), TIME_PERIODIC);
    r.killFromInside = id;
    while (r.count == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.killResult, TIMERR_NOERROR);
}

TEST(MultimediaTimer, OneShotFiresOnceAndIsGoneAfterwards)
{
    Recorder r;
    const UINT first = timeSetEvent(10, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), TIME_ONESHOT);
    ASSERT_NE(first, 0u);
    while (r.count == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(timeKillEvent(first), MMSYSERR_INVALPARAM);

    // Ids are not given out twice; refused settings give none.
    const UINT second = timeSetEvent(1000, 0, &Record, reinterpret_cast<DWORD_PTR>(&r), TIME_ONESHOT);
    EXPECT_GT(second, first);
    EXPECT_EQ(timeKillEvent(second), TIMERR_NOERROR);
    EXPECT_EQ(timeSetEvent(0, 0, &Record, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, nullptr, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, &Record, 0, 0x10), 0u);
    EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
}
