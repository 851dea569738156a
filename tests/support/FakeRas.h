#pragma once
// A fake remote-access service to register as "rasapi32.dll": what it holds
// is what it reports.

#include "platform/win/Modules.h"
#include "platform/win/Ras.h"

#include <optional>
#include <string>
#include <vector>

namespace velvane::test {

struct FakeConnection {
    HRASCONN handle = 0;
    std::string entry, deviceType, deviceName, client, server;
    DWORD state = RASCS_Connected;
    DWORD error = 0;
    // Still listed, but gone by the time it is asked about.
    bool hungUp = false;
};

struct FakeService {
    std::vector<FakeConnection> connections;
    // Reported instead of the real count, to claim more than fits.
    std::optional<DWORD> claimedCount;
    DWORD enumBufferSize = 0;
    int projectionCalls = 0;
};

// The one service the fake functions answer from.
extern FakeService fake;
// An error number whose text fills the whole buffer without a NUL.
constexpr UINT noNulError = 777;

FakeConnection Connection(HRASCONN handle, std::string client, std::string server);
DWORD FakeEnum(RASCONNA* buffer, DWORD* size, DWORD* count);
DWORD FakeStatus(HRASCONN handle, RASCONNSTATUSA* status);
DWORD FakeErrorString(UINT error, char* buffer, DWORD size);
DWORD FakeProjection(HRASCONN handle, RASPROJECTION projection, void* buffer, DWORD* size);
// The four functions as a module's procedures.
ModuleProcs FakeProcs();

} // namespace velvane::test
