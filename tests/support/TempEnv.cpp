#include "tests/support/TempEnv.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace velvane::test {

namespace {
void Remember(const char* name, std::string& value, bool& had)
{
    const char* v = std::getenv(name);
    had = v != nullptr;
    if (had) value = v;
}
void Restore(const char* name, const std::string& value, bool had)
{
    if (had) setenv(name, value.c_str(), 1);
    else unsetenv(name);
}
} // namespace

TempEnv::TempEnv()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "velvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    Remember("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    Remember("XDG_DATA_HOME", oldData_, hadData_);
    Remember("XDG_RUNTIME_DIR", oldRuntime_, hadRuntime_);
    setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
}

TempEnv::~TempEnv()
{
    Restore("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    Restore("XDG_DATA_HOME", oldData_, hadData_);
    Restore("XDG_RUNTIME_DIR", oldRuntime_, hadRuntime_);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

} // namespace velvane::test
