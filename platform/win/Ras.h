#pragma once
// The Remote Access Service calls the dial-up monitor makes, with their
// records laid out byte for byte as the programs expect them.
//
// The built-in "rasapi32.dll" answers from the machine's point-to-point
// interfaces (ppp, tun and the like, up, running, with an IPv4 address): each
// is one connected entry named after the interface, its handle the interface
// index; the PPP projection gives the local address as the client's and the
// peer address as the server's.

#include "platform/win/Modules.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace velvane {

// 32 bits on purpose: the records below must keep the sizes the programs
// were written for (412 bytes a connection), which a pointer-wide handle on a
// 64-bit machine would change.
using HRASCONN = std::uint32_t;

constexpr int RAS_MaxEntryName = 256;
constexpr int RAS_MaxDeviceType = 16;
constexpr int RAS_MaxDeviceName = 128;
constexpr int RAS_MaxIpAddress = 15;

// Connection states the built-in service reports.
constexpr DWORD RASCS_Connected = 0x2000;
constexpr DWORD RASCS_Disconnected = 0x2001;

using RASPROJECTION = DWORD;
constexpr RASPROJECTION RASP_PppIp = 0x8021;

constexpr DWORD RASBASE = 600;
constexpr DWORD PENDING = 600;
constexpr DWORD ERROR_INVALID_PORT_HANDLE = 601;
constexpr DWORD ERROR_BUFFER_TOO_SMALL = 603;
constexpr DWORD ERROR_PORT_NOT_CONNECTED = 619;
constexpr DWORD ERROR_PORT_DISCONNECTED = 628;
constexpr DWORD ERROR_USER_DISCONNECTION = 631;
constexpr DWORD ERROR_INVALID_SIZE = 632;
constexpr DWORD ERROR_REQUEST_TIMEOUT = 638;
constexpr DWORD ERROR_NO_CONNECTION = 668;
constexpr DWORD ERROR_NO_ANSWER = 678;
constexpr DWORD ERROR_AUTHENTICATION_FAILURE = 691;

struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RASCONNA) == 412);

struct RASCONNSTATUSA {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RASCONNSTATUSA) == 160);

struct RASPPPIPA {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[RAS_MaxIpAddress + 1];
    char szServerIpAddress[RAS_MaxIpAddress + 1];
};
static_assert(sizeof(RASPPPIPA) == 40);

// As the exports are called. Sizes are in bytes; the first record of a
// buffer carries the record size in dwSize.
using RasEnumConnectionsAProc = DWORD (*)(RASCONNA* connections, DWORD* bufferSize, DWORD* count);
using RasGetConnectStatusAProc = DWORD (*)(HRASCONN connection, RASCONNSTATUSA* status);
using RasGetErrorStringAProc = DWORD (*)(UINT error, char* buffer, DWORD bufferSize);
using RasGetProjectionInfoAProc = DWORD (*)(HRASCONN connection, RASPROJECTION projection, void* buffer,
                                            DWORD* bufferSize);

namespace rasapi {

// A buffer too small for every connection gives ERROR_BUFFER_TOO_SMALL with
// the size needed and the count; a null buffer asks for the size only.
DWORD RasEnumConnectionsA(RASCONNA* connections, DWORD* bufferSize, DWORD* count);
// ERROR_INVALID_HANDLE once the connection is gone.
DWORD RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status);
// Texts for the service's own numbers (600 up); the text is cut to the
// buffer, NUL included, and a cut text gives ERROR_BUFFER_TOO_SMALL.
DWORD RasGetErrorStringA(UINT error, char* buffer, DWORD bufferSize);
// RASP_PppIp only, into a RASPPPIPA.
DWORD RasGetProjectionInfoA(HRASCONN connection, RASPROJECTION projection, void* buffer, DWORD* bufferSize);

// The exports of the built-in module.
ModuleProcs Procs();

} // namespace rasapi

} // namespace velvane
