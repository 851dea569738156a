#include "platform/rtl/TickClock.h"

#include <atomic>

namespace velvane {

namespace {

class SteadyClock final : public TTickClock {
public:
    time_point Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, time_point deadline,
                   const std::function<bool()>& stop) const override
    {
        return wake.wait_until(lock, deadline, stop);
    }
};

const SteadyClock steadyClock;
std::atomic<const TTickClock*> installedClock{nullptr};

} // namespace

void SetTickClock(const TTickClock* clock)
{
    installedClock.store(clock, std::memory_order_release);
}

const TTickClock& TickClock()
{
    const TTickClock* clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : steadyClock;
}

} // namespace velvane
