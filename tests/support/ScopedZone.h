#pragma once
// Sets the process's time zone (TZ) for the life of the object.

#include <cstdlib>
#include <ctime>
#include <string>

namespace velvane::test {

class ScopedZone {
public:
    explicit ScopedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
            had_ = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone()
    {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    std::string old_;
    bool had_ = false;
};

} // namespace velvane::test
