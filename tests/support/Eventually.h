#pragma once
// Waits for something another thread brings about, running pump meanwhile
// (the main thread may have to serve that thread first). The limit only
// guards against a hang; it never measures speed.

#include <chrono>
#include <functional>
#include <thread>

namespace velvane::test {

template <typename Done>
bool Eventually(Done done, const std::function<void()>& pump = {},
                std::chrono::seconds limit = std::chrono::seconds(30))
{
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        if (pump) pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace velvane::test
