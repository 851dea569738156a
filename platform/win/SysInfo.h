#pragma once
// System information calls: the user's login name, the folders the
// programs call the Windows and the system folder, and the high-resolution
// counter.
//
// On this system the "Windows folder" is the per-user settings folder
// ($XDG_CONFIG_HOME/velvane, GetConfigPath) and the "system folder" the
// program folder ($XDG_DATA_HOME/velvane, GetAppFilePath); both are given
// without a trailing delimiter, as the system calls give theirs.

#include "platform/win/WinError.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace velvane {

using LARGE_INTEGER = std::int64_t;


// The login name of the user running the program. *size is the buffer's
// size in bytes; on success it becomes the name's length with its
// terminating zero. A buffer too small: FALSE, ERROR_INSUFFICIENT_BUFFER and
// the size needed in *size.
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);

// Both copy the folder with its terminating zero and return its length
// without it; when the buffer is too small they copy nothing and return the
// size needed, zero included.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);

// Counts of the monotonic clock, in nanoseconds (the frequency is 10^9).
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);

} // namespace velvane
