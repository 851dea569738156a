#pragma once
// The monotonic clock that timers wait on and time-outs are measured by:
// the steady clock, unless another is installed (tests install one that
// moves only when told, so waits end exactly where they say).

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace velvane {

class TTickClock {
public:
    using time_point = std::chrono::steady_clock::time_point;
    virtual ~TTickClock() = default;
    virtual time_point Now() const = 0;
    // Waits on wake (lock held on entry and on return) until stop() holds or
    // the clock reaches deadline; true when stop() held.
    virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, time_point deadline,
                           const std::function<bool()>& stop) const = 0;
};

// Installs a clock (not owned); nullptr returns to the steady clock. Only
// while no timer runs: a wait in progress keeps the clock it began on.
void SetTickClock(const TTickClock* clock);
const TTickClock& TickClock();

} // namespace velvane
