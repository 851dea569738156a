#include "platform/win/Modules.h"
#include "platform/win/PointToPoint.h"
#include "platform/win/Ras.h"
#include "platform/win/WinError.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstddef>
#include <cstring>
#include <deque>
#include <vector>

using namespace velvane;

namespace {

int Answer() { return 42; }
int OtherAnswer() { return 7; }

} // namespace

TEST(RasRecords, KeepTheByteLayoutTheProgramsUse)
{
    EXPECT_EQ(sizeof(RASCONNA), 412u);
    EXPECT_EQ(offsetof(RASCONNA, hrasconn), 4u);
    EXPECT_EQ(offsetof(RASCONNA, szEntryName), 8u);
    EXPECT_EQ(offsetof(RASCONNA, szDeviceType), 265u);
    EXPECT_EQ(offsetof(RASCONNA, szDeviceName), 282u);

    EXPECT_EQ(sizeof(RASCONNSTATUSA), 160u);
    EXPECT_EQ(offsetof(RASCONNSTATUSA, dwError), 8u);
    EXPECT_EQ(offsetof(RASCONNSTATUSA, szDeviceType), 12u);
    EXPECT_EQ(offsetof(RASCONNSTATUSA, szDeviceName), 29u);

    EXPECT_EQ(sizeof(RASPPPIPA), 40u);
    EXPECT_EQ(offsetof(RASPPPIPA, szIpAddress), 8u);
    EXPECT_EQ(offsetof(RASPPPIPA, szServerIpAddress), 24u);

    // A hundred records back to back, as the monitor passes them.
    RASCONNA buffer[100];
    EXPECT_EQ(sizeof buffer, 41200u);
}

TEST(Modules, UnknownNamesFailWithTheirOwnErrors)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("nosuchmodule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

    HMODULE ras = LoadLibraryA("rasapi32.dll");
    ASSERT_NE(ras, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(ras, "RasDial"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    // Export names keep their case.
    EXPECT_EQ(GetProcAddress(ras, "rasenumconnectionsa"), nullptr);
    EXPECT_NE(GetProcAddress(ras, "RasEnumConnectionsA"), nullptr);
    EXPECT_TRUE(FreeLibrary(ras));

    SetLastError(0);
    EXPECT_EQ(GetProcAddress(nullptr, "RasEnumConnectionsA"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
}

TEST(Modules, NamesMatchWithoutCaseOrExtensionAndLoadsAreCounted)
{
    ScopedBuiltInModule fake("counted.dll", ModuleProcs{{"Answer", reinterpret_cast<void*>(&Answer)}});
    HMODULE a = LoadLibraryA("COUNTED.DLL");
    HMODULE b = LoadLibraryA("Counted");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);

    EXPECT_TRUE(FreeLibrary(a));
    auto proc = reinterpret_cast<int (*)()>(GetProcAddress(b, "Answer"));
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc(), 42);

    EXPECT_TRUE(FreeLibrary(b));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(b, "Answer"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FreeLibrary(b));

    // A fresh load gets a fresh handle; the stale one stays dead.
    HMODULE c = LoadLibraryA("counted.dll");
    EXPECT_NE(c, b);
    EXPECT_EQ(GetProcAddress(b, "Answer"), nullptr);
    EXPECT_TRUE(FreeLibrary(c));
}

TEST(Modules, ReplacingAModuleServesLiveHandlesAndIsUndoneAtScopeEnd)
{
    HMODULE ras = LoadLibraryA("rasapi32");
    ASSERT_NE(ras, nullptr);
    const FARPROC real = GetProcAddress(ras, "RasEnumConnectionsA");
    {
        ScopedBuiltInModule fake("RASAPI32.dll", ModuleProcs{{"RasEnumConnectionsA", reinterpret_cast<void*>(&OtherAnswer)}});
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(ras, "RasEnumConnectionsA")),
                  reinterpret_cast<void*>(&OtherAnswer));
        EXPECT_EQ(GetProcAddress(ras, "RasGetErrorStringA"), nullptr);
    }
    EXPECT_EQ(GetProcAddress(ras, "RasEnumConnectionsA"), real);
    EXPECT_TRUE(FreeLibrary(ras));

    {
        ScopedBuiltInModule gone("rasapi32.dll", std::nullopt);
        EXPECT_EQ(LoadLibraryA("rasapi32.dll"), nullptr);
    }
    {
        ScopedBuiltInModule added("rnaph.dll", ModuleProcs{});
        HMODULE rnaph = LoadLibraryA("rnaph.dll");
        EXPECT_NE(rnaph, nullptr);
        FreeLibrary(rnaph);
    }
    EXPECT_EQ(LoadLibraryA("rnaph.dll"), nullptr);
}

namespace {

// An interface list made by hand, as getifaddrs would give it.
class InterfaceList {
public:
    void Add(const char* name, unsigned flags, int family, const char* address, const char* peer = nullptr)
    {
        auto& entry = entries_.emplace_back();
        names_.emplace_back(name);
        entry.ifa_name = names_.back().data();
        entry.ifa_flags = flags;
        entry.ifa_addr = Address(family, address);
        entry.ifa_dstaddr = peer ? Address(AF_INET, peer) : nullptr;
        if (entries_.size() > 1) entries_[entries_.size() - 2].ifa_next = &entry;
    }
    const ifaddrs* Head() const { return entries_.empty() ? nullptr : &entries_.front(); }

private:
    sockaddr* Address(int family, const char* text)
    {
        auto& storage = addresses_.emplace_back();
        std::memset(&storage, 0, sizeof storage);
        if (family == AF_INET) {
            auto* in = reinterpret_cast<sockaddr_in*>(&storage);
            in->sin_family = AF_INET;
            inet_pton(AF_INET, text, &in->sin_addr);
        } else {
            auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
            in6->sin6_family = AF_INET6;
            inet_pton(AF_INET6, text, &in6->sin6_addr);
        }
        return reinterpret_cast<sockaddr*>(&storage);
    }

    std::deque<ifaddrs> entries_;
    std::deque<std::string> names_;
    std::deque<sockaddr_storage> addresses_;
};

constexpr unsigned linkUp = IFF_UP | IFF_RUNNING | IFF_POINTOPOINT;

} // namespace

TEST(PointToPointLinks, TakeOnlyLiveIPv4PointToPointInterfaces)
{
    InterfaceList list;
    list.Add("lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK, AF_INET, "127.0.0.1");
    list.Add("eth0", IFF_UP | IFF_RUNNING | IFF_BROADCAST, AF_INET, "192.168.1.5");
    list.Add("ppp0", linkUp, AF_INET6, "fe80::1");
    list.Add("ppp0", linkUp, AF_INET, "10.64.1.2", "10.64.0.1");
    list.Add("ppp0", linkUp, AF_INET, "10.64.1.3", "10.64.0.9");
    list.Add("ppp1", IFF_UP | IFF_POINTOPOINT, AF_INET, "10.65.1.2", "10.65.0.1");
    list.Add("ppp2", IFF_RUNNING | IFF_POINTOPOINT, AF_INET, "10.66.1.2", "10.66.0.1");
    list.Add("tun0", linkUp, AF_INET, "172.16.0.2");

    const auto links = PointToPointLinks(list.Head());
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].Name, "ppp0");
    EXPECT_EQ(links[0].Address, "10.64.1.2");
    EXPECT_EQ(links[0].Peer, "10.64.0.1");
    EXPECT_EQ(links[1].Name, "tun0");
    EXPECT_EQ(links[1].Address, "172.16.0.2");
    EXPECT_EQ(links[1].Peer, "");

    EXPECT_TRUE(PointToPointLinks(nullptr).empty());
}

TEST(BuiltInRas, ThisMachineWithoutPointToPointLinksHasNoConnection)
{
    if (!CurrentPointToPointLinks().empty()) GTEST_SKIP() << "this machine has a point-to-point interface";

    std::vector<RASCONNA> buffer(100);
    buffer[0].dwSize = sizeof(RASCONNA);
    DWORD size = 41200, count = 99;
    EXPECT_EQ(rasapi::RasEnumConnectionsA(buffer.data(), &size, &count), 0u);
    EXPECT_EQ(count, 0u);

    // Asking for the size alone works too.
    size = 0;
    count = 99;
    EXPECT_EQ(rasapi::RasEnumConnectionsA(nullptr, &size, &count), 0u);
    EXPECT_EQ(count, 0u);

    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    EXPECT_EQ(rasapi::RasGetConnectStatusA(1, &status), ERROR_INVALID_HANDLE);
    RASPPPIPA projection{};
    projection.dwSize = sizeof projection;
    size = sizeof projection;
    EXPECT_EQ(rasapi::RasGetProjectionInfoA(1, RASP_PppIp, &projection, &size), ERROR_INVALID_HANDLE);
}

TEST(BuiltInRas, RejectsWrongRecordSizesAndArguments)
{
    RASCONNA connections[2]{};
    DWORD size = sizeof connections, count = 0;
    connections[0].dwSize = 416;  // a 64-bit handle's record
    EXPECT_EQ(rasapi::RasEnumConnectionsA(connections, &size, &count), ERROR_INVALID_SIZE);
    connections[0].dwSize = sizeof(RASCONNA);
    size = 2;  // too small to hold even the size field
    EXPECT_EQ(rasapi::RasEnumConnectionsA(connections, &size, &count), ERROR_INVALID_SIZE);
    EXPECT_EQ(rasapi::RasEnumConnectionsA(connections, nullptr, &count), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(rasapi::RasEnumConnectionsA(connections, &size, nullptr), ERROR_INVALID_PARAMETER);

    RASCONNSTATUSA status{};
    status.dwSize = 164;
    EXPECT_EQ(rasapi::RasGetConnectStatusA(1, &status), ERROR_INVALID_SIZE);
    EXPECT_EQ(rasapi::RasGetConnectStatusA(1, nullptr), ERROR_INVALID_PARAMETER);

    RASPPPIPA projection{};
    projection.dwSize = sizeof projection;
    size = sizeof projection;
    EXPECT_EQ(rasapi::RasGetProjectionInfoA(1, 0x803F, &projection, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(rasapi::RasGetProjectionInfoA(1, RASP_PppIp, &projection, nullptr), ERROR_INVALID_PARAMETER);
}

TEST(BuiltInRas, ErrorTextsStayInsideTheBuffer)
{
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(rasapi::RasGetErrorStringA(ERROR_AUTHENTICATION_FAILURE, buffer, 10), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::strlen(buffer), 9u);
    EXPECT_EQ(buffer[10], '#');

    char text[256];
    ASSERT_EQ(rasapi::RasGetErrorStringA(ERROR_INVALID_SIZE, text, sizeof text), 0u);
    EXPECT_STREQ(text, "The structure size is incorrect.");
    // Every text the service has fits the 100 bytes the monitor offers.
    for (UINT error = 600; error < 800; ++error) {
        if (rasapi::RasGetErrorStringA(error, text, sizeof text) == 0) {
            EXPECT_LT(std::strlen(text), 100u) << error;
        }
    }

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(rasapi::RasGetErrorStringA(599, buffer, sizeof buffer), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(rasapi::RasGetErrorStringA(ERROR_INVALID_SIZE, buffer, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(rasapi::RasGetErrorStringA(ERROR_INVALID_SIZE, nullptr, 10), ERROR_INVALID_PARAMETER);
}
