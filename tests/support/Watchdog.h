#pragma once
// Ends the test program if the guarded scope has not finished in time, so a
// dead lock shows up as a failure with a message instead of a hung run.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace velvane::test {

class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit, std::string what = "test")
        : what_(std::move(what)), thread_([this, limit] { Watch(limit); })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void Watch(std::chrono::seconds limit)
    {
        std::unique_lock lock(mutex_);
        if (cv_.wait_for(lock, limit, [this] { return done_; })) return;
        std::fprintf(stderr, "Watchdog: %s did not finish in %lld s (dead lock?)\n", what_.c_str(),
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(3);
    }

    std::string what_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace velvane::test
