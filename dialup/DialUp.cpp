#include "dialup/DialUp.h"

#include "dialup/DialUpTexts.h"
#include "platform/win/WinError.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velvane {

namespace {

constexpr int maxConnections = 100;
constexpr DWORD errorTextSize = 100;

// A fixed-size field up to its first NUL, never past its end.
template <std::size_t N>
String FieldText(const char (&field)[N])
{
    return String(field, strnlen(field, N));
}

} // namespace

TDialUp::TDialUp(TComponent* owner)
    : TComponent(owner), entries_(std::make_unique<TStringList>()), duna_(std::make_unique<TStringList>())
{
    ReadDUNA();
}

TDialUp::~TDialUp() = default;

int TDialUp::GetActiveConnections()
{
    clientIP_.clear();
    serverIP_.clear();

    std::vector<RASCONNA> connections(maxConnections);
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD bufferSize = maxConnections * sizeof(RASCONNA);
    DWORD count = 0;
    if (DWORD result = RasEnumConnectionsA(connections.data(), &bufferSize, &count)) return static_cast<int>(result);

    // Shared by every connection: a failed status call leaves the previous
    // connection's state in it.
    RASCONNSTATUSA status{};
    status.dwSize = sizeof(RASCONNSTATUSA);
    const DWORD reported = std::min<DWORD>(count, maxConnections);
    for (DWORD i = 0; i < reported; ++i) {
        const RASCONNA& connection = connections[i];
        RasGetConnectStatusA(connection.hrasconn, &status);
        const String text = GetStatusText(static_cast<int>(status.rasconnstate), static_cast<int>(status.dwError));
        if (OnActiveConnection)
            OnActiveConnection(this, static_cast<int>(connection.hrasconn), status, text,
                               std::span<const char>(connection.szEntryName),
                               std::span<const char>(connection.szDeviceType),
                               std::span<const char>(connection.szDeviceName));
    }
    return 0;
}

int TDialUp::GetConnectionIP(int handle)
{
    clientIP_.clear();
    serverIP_.clear();
    if (handle == 0) return 0;
    RASPPPIPA projection{};
    projection.dwSize = sizeof(RASPPPIPA);
    DWORD size = sizeof(RASPPPIPA);
    const DWORD result = RasGetProjectionInfoA(static_cast<HRASCONN>(handle), RASP_PppIp, &projection, &size);
    if (result == 0) {
        clientIP_ = FieldText(projection.szIpAddress);
        serverIP_ = FieldText(projection.szServerIpAddress);
    }
    return static_cast<int>(result);
}

String TDialUp::GetStatusText(int state, int error) const
{
    if (error == 0) return StatusTableText(Language, state);
    // Zeroed and read no further than its size, whatever the service wrote;
    // when the service has no text, the system's own message stands in.
    char buffer[errorTextSize] = {};
    if (RasGetErrorStringA(static_cast<UINT>(error), buffer, errorTextSize) != 0)
        return SysErrorMessage(static_cast<DWORD>(error));
    return FieldText(buffer);
}

bool TDialUp::ReadDUNA()
{
    // The adapter statistics keys exist only on the Windows 9x family; this
    // system has none, so the list stays as it is.
    return false;
}

void TDialUp::AsyncTimer(TComponent*)
{
    timerEnabled_ = false;
    if (!asyncPending_) return;
    const String text = GetStatusText(asyncState_, asyncError_);
    if (OnAsyncEvent) OnAsyncEvent(this, asyncState_, asyncError_, text);
    asyncPending_ = false;
}

} // namespace velvane
