#include "tests/support/FakeRas.h"

#include "platform/win/WinError.h"

#include <algorithm>
#include <cstring>

namespace velvane::test {

FakeService fake;

namespace {

template <std::size_t N>
void Put(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

} // namespace

FakeConnection Connection(HRASCONN handle, std::string client, std::string server)
{
    return {handle, "Entry " + std::to_string(handle), "modem", "Modem " + std::to_string(handle),
            std::move(client), std::move(server)};
}

namespace {
const FakeConnection* Find(HRASCONN handle)
{
    for (const auto& c : fake.connections)
        if (c.handle == handle) return &c;
    return nullptr;
}

} // namespace

DWORD FakeEnum(RASCONNA* buffer, DWORD* size, DWORD* count)
{
    fake.enumBufferSize = *size;
    if (buffer[0].dwSize != sizeof(RASCONNA)) return ERROR_INVALID_SIZE;
    const DWORD n = fake.claimedCount.value_or(static_cast<DWORD>(fake.connections.size()));
    *count = n;
    if (*size < n * sizeof(RASCONNA)) {
        *size = n * sizeof(RASCONNA);
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < fake.connections.size(); ++i) {
        const auto& c = fake.connections[i];
        buffer[i].dwSize = sizeof(RASCONNA);
        buffer[i].hrasconn = c.handle;
        Put(buffer[i].szEntryName, c.entry);
        Put(buffer[i].szDeviceType, c.deviceType);
        Put(buffer[i].szDeviceName, c.deviceName);
    }
    return 0;
}

DWORD FakeStatus(HRASCONN handle, RASCONNSTATUSA* status)
{
    const FakeConnection* c = Find(handle);
    if (!c || c->hungUp) return ERROR_INVALID_HANDLE;
    status->rasconnstate = c->state;
    status->dwError = c->error;
    return 0;
}

DWORD FakeErrorString(UINT error, char* buffer, DWORD size)
{
    if (error == ERROR_AUTHENTICATION_FAILURE) {
        std::strncpy(buffer, "Fake: wrong password.", size);
        return 0;
    }
    if (error == noNulError) {
        // A careless service that fills the whole buffer.
        std::memset(buffer, 'x', size);
        return 0;
    }
    return ERROR_INVALID_PARAMETER;
}

DWORD FakeProjection(HRASCONN handle, RASPROJECTION projection, void* buffer, DWORD* size)
{
    ++fake.projectionCalls;
    if (projection != RASP_PppIp) return ERROR_INVALID_PARAMETER;
    const FakeConnection* c = Find(handle);
    if (!c || c->hungUp) return ERROR_INVALID_HANDLE;
    if (*size < sizeof(RASPPPIPA)) return ERROR_BUFFER_TOO_SMALL;
    auto* ip = static_cast<RASPPPIPA*>(buffer);
    if (ip->dwSize != sizeof(RASPPPIPA)) return ERROR_INVALID_SIZE;
    Put(ip->szIpAddress, c->client);
    Put(ip->szServerIpAddress, c->server);
    return 0;
}

ModuleProcs FakeProcs()
{
    return {
        {"RasEnumConnectionsA", reinterpret_cast<void*>(&FakeEnum)},
        {"RasGetConnectStatusA", reinterpret_cast<void*>(&FakeStatus)},
        {"RasGetErrorStringA", reinterpret_cast<void*>(&FakeErrorString)},
        {"RasGetProjectionInfoA", reinterpret_cast<void*>(&FakeProjection)},
    };
}


} // namespace velvane::test
