#pragma once
// A monotonic clock that moves only when the test moves it, installed for
// the life of the object. Timers waiting on it wake when it passes their
// deadline, and the test can see which deadlines are being waited for, so
// "no tick early" is checked without watching the real clock.

#include "platform/rtl/TickClock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace velvane::test {

class FakeTickClock : public TTickClock {
public:
    FakeTickClock() { SetTickClock(this); }
    ~FakeTickClock() override { SetTickClock(nullptr); }
    FakeTickClock(const FakeTickClock&) = delete;
    FakeTickClock& operator=(const FakeTickClock&) = delete;

    time_point Now() const override { return time_point(time_point::duration(now_.load())); }
    void Advance(std::chrono::milliseconds by) { now_ += std::chrono::duration_cast<time_point::duration>(by).count(); }
    void AdvanceTo(time_point when)
    {
        if (when > Now()) now_ = when.time_since_epoch().count();
    }

    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, time_point deadline,
                   const std::function<bool()>& stop) const override
    {
        Waiter waiter(*this, deadline);
        // The waiter looks at the clock often: Advance needs no hand-over.
        while (!stop()) {
            if (Now() >= deadline) return false;
            wake.wait_for(lock, std::chrono::milliseconds(1));
        }
        return true;
    }

    // Whether some thread waits for exactly this deadline now.
    bool Waiting(time_point deadline) const
    {
        std::lock_guard lock(mutex_);
        return std::find(deadlines_.begin(), deadlines_.end(), deadline) != deadlines_.end();
    }

private:
    struct Waiter {
        Waiter(const FakeTickClock& clock, time_point deadline) : clock_(clock), deadline_(deadline)
        {
            std::lock_guard lock(clock_.mutex_);
            clock_.deadlines_.push_back(deadline_);
        }
        ~Waiter()
        {
            std::lock_guard lock(clock_.mutex_);
            clock_.deadlines_.erase(std::find(clock_.deadlines_.begin(), clock_.deadlines_.end(), deadline_));
        }
        const FakeTickClock& clock_;
        time_point deadline_;
    };

    // Far from zero, as a real steady clock is.
    std::atomic<time_point::rep> now_{std::chrono::duration_cast<time_point::duration>(std::chrono::hours(1000)).count()};
    mutable std::mutex mutex_;
    mutable std::vector<time_point> deadlines_;
};

} // namespace velvane::test
