#include "platform/win/Ras.h"

#include "platform/win/PointToPoint.h"
#include "platform/win/WinError.h"

#include <net/if.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace velvane::rasapi {

namespace {

struct Connection {
    HRASCONN handle;
    PointToPointLink link;
};

std::vector<Connection> Connections()
{
    std::vector<Connection> connections;
    for (auto& link : CurrentPointToPointLinks()) {
        // An interface that vanished between the two calls is no connection.
        if (HRASCONN index = if_nametoindex(link.Name.c_str())) connections.push_back({index, std::move(link)});
    }
    return connections;
}

std::optional<Connection> Find(HRASCONN handle)
{
    for (auto& connection : Connections())
        if (connection.handle == handle) return connection;
    return std::nullopt;
}

// Cut to fit, always NUL-terminated.
template <std::size_t N>
void Put(char (&field)[N], const String& text)
{
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

String DeviceType(const String& interfaceName)
{
    return interfaceName.rfind("ppp", 0) == 0 ? "modem" : "vpn";
}

const char* ErrorText(UINT error)
{
    switch (error) {
    case PENDING: return "An operation is pending.";
    case ERROR_INVALID_PORT_HANDLE: return "The port handle is invalid.";
    case ERROR_BUFFER_TOO_SMALL: return "The buffer given is too small.";
    case ERROR_PORT_NOT_CONNECTED: return "The port is not connected.";
    case ERROR_PORT_DISCONNECTED: return "The connection was closed.";
    case ERROR_USER_DISCONNECTION: return "The connection was closed by the user.";
    case ERROR_INVALID_SIZE: return "The structure size is incorrect.";
    case ERROR_REQUEST_TIMEOUT: return "The request has timed out.";
    case ERROR_NO_CONNECTION: return "The connection was lost.";
    case ERROR_NO_ANSWER: return "The remote computer did not answer.";
    case ERROR_AUTHENTICATION_FAILURE: return "The user name or password is not valid on this domain.";
    default: return nullptr;
    }
}

} // namespace

DWORD RasEnumConnectionsA(RASCONNA* connections, DWORD* bufferSize, DWORD* count)
{
    if (!bufferSize || !count) return ERROR_INVALID_PARAMETER;
    // The size field is read only when the buffer is said to hold it.
    if (connections && (*bufferSize < sizeof(DWORD) || connections->dwSize != sizeof(RASCONNA)))
        return ERROR_INVALID_SIZE;
    const auto found = Connections();
    const DWORD needed = static_cast<DWORD>(found.size() * sizeof(RASCONNA));
    *count = static_cast<DWORD>(found.size());
    if (found.empty()) {
        *bufferSize = 0;
        return ERROR_SUCCESS;
    }
    if (!connections || *bufferSize < needed) {
        *bufferSize = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        RASCONNA& record = connections[i];
        record.dwSize = sizeof(RASCONNA);
        record.hrasconn = found[i].handle;
        Put(record.szEntryName, found[i].link.Name);
        Put(record.szDeviceType, DeviceType(found[i].link.Name));
        Put(record.szDeviceName, found[i].link.Name);
    }
    *bufferSize = needed;
    return ERROR_SUCCESS;
}

DWORD RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status)
{
    if (!status) return ERROR_INVALID_PARAMETER;
    if (status->dwSize != sizeof(RASCONNSTATUSA)) return ERROR_INVALID_SIZE;
    const auto found = Find(connection);
    if (!found) return ERROR_INVALID_HANDLE;
    status->rasconnstate = RASCS_Connected;
    status->dwError = 0;
    Put(status->szDeviceType, DeviceType(found->link.Name));
    Put(status->szDeviceName, found->link.Name);
    return ERROR_SUCCESS;
}

DWORD RasGetErrorStringA(UINT error, char* buffer, DWORD bufferSize)
{
    if (!buffer || bufferSize == 0) return ERROR_INVALID_PARAMETER;
    const char* text = ErrorText(error);
    if (!text) return ERROR_INVALID_PARAMETER;
    const std::size_t length = std::strlen(text);
    const std::size_t n = std::min<std::size_t>(length, bufferSize - 1);
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return n < length ? ERROR_BUFFER_TOO_SMALL : ERROR_SUCCESS;
}

DWORD RasGetProjectionInfoA(HRASCONN connection, RASPROJECTION projection, void* buffer, DWORD* bufferSize)
{
    if (!bufferSize || projection != RASP_PppIp) return ERROR_INVALID_PARAMETER;
    const auto found = Find(connection);
    if (!found) return ERROR_INVALID_HANDLE;
    if (!buffer || *bufferSize < sizeof(RASPPPIPA)) {
        *bufferSize = sizeof(RASPPPIPA);
        return ERROR_BUFFER_TOO_SMALL;
    }
    auto* record = static_cast<RASPPPIPA*>(buffer);
    if (record->dwSize != sizeof(RASPPPIPA)) return ERROR_INVALID_SIZE;
    record->dwError = 0;
    Put(record->szIpAddress, found->link.Address);
    Put(record->szServerIpAddress, found->link.Peer);
    *bufferSize = sizeof(RASPPPIPA);
    return ERROR_SUCCESS;
}

ModuleProcs Procs()
{
    return {
        {"RasEnumConnectionsA", reinterpret_cast<void*>(&RasEnumConnectionsA)},
        {"RasGetConnectStatusA", reinterpret_cast<void*>(&RasGetConnectStatusA)},
        {"RasGetErrorStringA", reinterpret_cast<void*>(&RasGetErrorStringA)},
        {"RasGetProjectionInfoA", reinterpret_cast<void*>(&RasGetProjectionInfoA)},
    };
}

} // namespace velvane::rasapi
