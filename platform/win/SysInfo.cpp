#include "platform/win/SysInfo.h"

#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace velvane {

namespace {

String LoginName()
{
    // getpwuid_r: the programs' worker threads may ask at the same time.
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    for (const char* variable : {"LOGNAME", "USER"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return String();
}

String WithoutTrailingDelimiter(String folder)
{
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

UINT CopyFolder(const String& folder, LPSTR buffer, UINT size)
{
    if (folder.size() + 1 > size || !buffer) return static_cast<UINT>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<UINT>(folder.size());
}

} // namespace

BOOL GetUserNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const String name = LoginName();
    if (name.empty()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    return CopyFolder(WithoutTrailingDelimiter(GetConfigPath()), buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    return CopyFolder(WithoutTrailingDelimiter(GetAppFilePath()), buffer, size);
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency) return FALSE;
    *frequency = 1000000000;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count) return FALSE;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    *count = static_cast<LARGE_INTEGER>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return TRUE;
}

} // namespace velvane
