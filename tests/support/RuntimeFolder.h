#pragma once
// Points the user's runtime folder (named mutexes live there) at a fresh
// temporary folder for the life of the object.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace velvane::test {

class RuntimeFolder {
public:
    RuntimeFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velvane-run-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
    }
    ~RuntimeFolder()
    {
        if (had_)
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    std::string root_;
    std::string old_;
    bool had_ = false;
};

} // namespace velvane::test
