#pragma once
// Lets this process map only so many bytes more than it has now, for the
// life of the object: an allocation past that fails (std::bad_alloc), so a
// test can show that a read stays within its bound instead of trusting it.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace velvane::test {

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t moreBytes)
    {
        ::getrlimit(RLIMIT_AS, &saved_);
        unsigned long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        rlimit small = saved_;
        small.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + moreBytes;
        if (saved_.rlim_max != RLIM_INFINITY && small.rlim_cur > saved_.rlim_max) small.rlim_cur = saved_.rlim_max;
        ::setrlimit(RLIMIT_AS, &small);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &saved_); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit saved_{};
};

} // namespace velvane::test
