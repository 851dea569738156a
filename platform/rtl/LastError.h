#pragma once
// Per-thread last error, as the system keeps it, and the error numbers the
// programs look at. They sit this low because the file helpers set them too;
// the numbers are the system's 32-bit codes (its DWORD).

#include "platform/rtl/Types.h"

#include <cstdint>

namespace velvane {

constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_INVALID_DATA = 13;
constexpr std::uint32_t ERROR_WRITE_FAULT = 29;
constexpr std::uint32_t ERROR_READ_FAULT = 30;
constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_DISK_FULL = 112;
constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
constexpr std::uint32_t ERROR_WRITE_PROTECT = 19;
constexpr std::uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr std::uint32_t ERROR_BUSY = 170;
constexpr std::uint32_t ERROR_MORE_DATA = 234;
constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr std::uint32_t ERROR_BADDB = 1009;
constexpr std::uint32_t ERROR_BADKEY = 1010;
constexpr std::uint32_t ERROR_CANTOPEN = 1011;
constexpr std::uint32_t ERROR_CANTREAD = 1012;
constexpr std::uint32_t ERROR_CANTWRITE = 1013;
constexpr std::uint32_t ERROR_NO_ASSOCIATION = 1155;
constexpr std::uint32_t ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// Socket errors, numbered as Winsock numbers them.
constexpr std::uint32_t WSAEACCES = 10013;
constexpr std::uint32_t WSAEADDRNOTAVAIL = 10049;
constexpr std::uint32_t WSAECONNRESET = 10054;
constexpr std::uint32_t WSAETIMEDOUT = 10060;
constexpr std::uint32_t WSAECONNREFUSED = 10061;
constexpr std::uint32_t WSAEHOSTUNREACH = 10065;
constexpr std::uint32_t WSAHOST_NOT_FOUND = 11001;

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// Sets the last error to the system error number for an errno value (0 for
// 0; an errno without a counterpart gives ERROR_INVALID_FUNCTION).
void SetLastErrorFromErrno(int err);

// The system's text for an error number, as FormatMessage would give it, in
// the programs' language.
String SysErrorMessage(std::uint32_t code);

} // namespace velvane
