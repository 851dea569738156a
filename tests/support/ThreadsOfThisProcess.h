#pragma once
// The threads of this process, from /proc, so a test can see that a thread
// was never made, or wait for one to have ended, instead of sleeping and
// hoping.

#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

namespace velvane::test {

inline std::set<pid_t> ThreadsOfThisProcess()
{
    std::set<pid_t> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
    return ids;
}

// True when no thread came since `before`. A thread that ended may leave
// the list a moment after it was joined, so fewer threads is no fault.
inline bool NoNewThreadSince(const std::set<pid_t>& before)
{
    const std::set<pid_t> now = ThreadsOfThisProcess();
    return std::includes(before.begin(), before.end(), now.begin(), now.end());
}

inline bool ThreadAlive(pid_t tid)
{
    return std::filesystem::exists("/proc/self/task/" + std::to_string(tid));
}

} // namespace velvane::test
