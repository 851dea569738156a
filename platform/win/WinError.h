#pragma once
// Per-thread last error, as the system keeps it, and the error numbers the
// programs look at.

#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

namespace velvane {

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_NO_ASSOCIATION = 1155;

// Socket errors, numbered as Winsock numbers them.
constexpr DWORD WSAEACCES = 10013;
constexpr DWORD WSAEADDRNOTAVAIL = 10049;
constexpr DWORD WSAECONNRESET = 10054;
constexpr DWORD WSAETIMEDOUT = 10060;
constexpr DWORD WSAECONNREFUSED = 10061;
constexpr DWORD WSAEHOSTUNREACH = 10065;
constexpr DWORD WSAHOST_NOT_FOUND = 11001;

DWORD GetLastError();
void SetLastError(DWORD code);

// Sets the last error to the system error number for an errno value (0 for
// 0; an errno without a counterpart gives ERROR_INVALID_FUNCTION).
void SetLastErrorFromErrno(int err);

// The system's text for an error number, as FormatMessage would give it.
String SysErrorMessage(DWORD code);

} // namespace velvane
