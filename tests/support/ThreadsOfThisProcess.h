#pragma once
// The threads of this process, from /proc, so a test can see that a thread
// was never made, or wait for one to have ended, instead of sleeping and
// hoping.

#include <sys/types.h>

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

inline bool ThreadAlive(pid_t tid)
{
    return std::filesystem::exists("/proc/self/task/" + std::to_string(tid));
}

} // namespace velvane::test
