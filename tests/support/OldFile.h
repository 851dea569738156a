#pragma once
// A file last changed long ago (2001), as one a killed run left behind.

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>
#include <string>

namespace velvane::test {

inline void WriteOldFile(const std::string& path, const std::string& content = "left by a killed run")
{
    std::ofstream(path) << content;
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + path);
}

} // namespace velvane::test
