#include "dialup/DialUp.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Modules.h"
#include "platform/win/PointToPoint.h"
#include "platform/win/WinError.h"
#include "tests/support/FakeRas.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

using namespace velvane;
using velvane::test::MessageOf;
using namespace velvane::test;

namespace {

struct Event {
    int handle;
    DWORD state;
    std::string text, entry;
    std::size_t entrySize, typeSize, nameSize;
    int ipResult;
    std::string server;
};

// Starts every test unbound, so each one's modules are the ones looked up.
class RasBinding : public ::testing::Test {
protected:
    void SetUp() override { ReleaseRasLibrary(); }
    void TearDown() override { ReleaseRasLibrary(); }
};

// The monitor over the fake service, with the programs' handler: ask each
// reported connection for its addresses.
class DialUpFake : public RasBinding {
protected:
    void SetUp() override
    {
        RasBinding::SetUp();
        fake = FakeService{};
        dialUp.Language = TLanguage::Portuguese;
        dialUp.OnActiveConnection = [this](TComponent* sender, int handle, const TRasConnStatusA& status,
                                           const String& text, std::span<const char> entry,
                                           std::span<const char> type, std::span<const char> name) {
            EXPECT_EQ(sender, &dialUp);
            const int ipResult = dialUp.GetConnectionIP(handle);
            events.push_back({handle, status.rasconnstate, text, std::string(entry.data()), entry.size(),
                              type.size(), name.size(), ipResult, dialUp.ServerIP()});
        };
    }

    ScopedBuiltInModule module{"rasapi32.dll", FakeProcs()};
    TDialUp dialUp{nullptr};
    std::vector<Event> events;
};

} // namespace

TEST_F(DialUpFake, NoConnectionFiresNothingAndForgetsEarlierAddresses)
{
    fake.connections = {Connection(3, "10.0.0.2", "10.0.0.1")};
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(dialUp.ServerIP(), "10.0.0.1");

    fake.connections.clear();
    events.clear();
    EXPECT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(dialUp.ServerIP(), "");
    EXPECT_EQ(dialUp.ClientIP(), "");
}

TEST_F(DialUpFake, OneConnectionReportsItsRecordAndAddresses)
{
    // Addresses that fill their 16-byte fields to the last byte.
    fake.connections = {Connection(7, "200.100.200.123", "200.100.200.101")};
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(fake.enumBufferSize, 41200u);

    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].handle, 7);
    EXPECT_EQ(events[0].state, RASCS_Connected);
    EXPECT_EQ(events[0].text, "Conectado");
    EXPECT_EQ(events[0].entry, "Entry 7");
    EXPECT_EQ(events[0].entrySize, 257u);
    EXPECT_EQ(events[0].typeSize, 17u);
    EXPECT_EQ(events[0].nameSize, 129u);
    EXPECT_EQ(events[0].ipResult, 0);
    EXPECT_EQ(dialUp.ClientIP(), "200.100.200.123");
    EXPECT_EQ(dialUp.ServerIP(), "200.100.200.101");
}

TEST_F(DialUpFake, SeveralConnectionsFireInOrderAndTheLastOneDecides)
{
    fake.connections = {Connection(1, "10.1.0.2", "10.1.0.1"), Connection(2, "10.2.0.2", "10.2.0.1"),
                        Connection(3, "10.3.0.2", "")};
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].server, "10.1.0.1");
    EXPECT_EQ(events[1].server, "10.2.0.1");
    EXPECT_EQ(events[2].handle, 3);
    // The last connection has no server address, so none is left.
    EXPECT_EQ(dialUp.ClientIP(), "10.3.0.2");
    EXPECT_EQ(dialUp.ServerIP(), "");

    fake.connections.pop_back();
    events.clear();
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(dialUp.ServerIP(), "10.2.0.1");
}

TEST_F(DialUpFake, ConnectionThatHungUpSinceTheLastCheckGivesNoAddress)
{
    fake.connections = {Connection(4, "10.4.0.2", "10.4.0.1"), Connection(9, "10.9.0.2", "10.9.0.1")};
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(dialUp.ServerIP(), "10.9.0.1");

    // Listed by the enumeration, gone when asked about: a failed status call
    // leaves the shared record as it was (zeroed for the first connection).
    fake.connections[0].hungUp = true;
    fake.connections[1].hungUp = true;
    fake.connections[1].state = 5;
    events.clear();
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].state, 0u);
    EXPECT_EQ(events[0].text, "Abrindo a porta");
    EXPECT_EQ(events[0].ipResult, static_cast<int>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(events[1].state, 0u);
    EXPECT_EQ(dialUp.ServerIP(), "");
    EXPECT_EQ(dialUp.ClientIP(), "");
}

TEST_F(DialUpFake, EnumerationErrorIsReturnedAndNothingFires)
{
    fake.connections = {Connection(1, "10.1.0.2", "10.1.0.1")};
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);

    // More connections than the hundred records hold.
    fake.claimedCount = 101;
    events.clear();
    EXPECT_EQ(dialUp.GetActiveConnections(), static_cast<int>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(dialUp.ServerIP(), "");
}

TEST_F(DialUpFake, ACountBeyondTheBufferReportsNoMoreThanItHolds)
{
    // A service that claims more connections than it wrote and says all is well.
    const auto lyingEnum = [](RASCONNA* buffer, DWORD* size, DWORD* count) -> DWORD {
        FakeEnum(buffer, size, count);
        *count = 100000;
        return 0;
    };
    ModuleProcs procs = FakeProcs();
    procs["RasEnumConnectionsA"] = reinterpret_cast<void*>(+lyingEnum);
    ScopedBuiltInModule liar("rasapi32.dll", procs);
    fake.connections = {Connection(1, "10.1.0.2", "10.1.0.1")};
    EXPECT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(events.size(), 100u);
}

TEST_F(DialUpFake, AnErrorNumberGivesTheServiceTextReadWithinItsBuffer)
{
    fake.connections = {Connection(1, "", ""), Connection(2, "", ""), Connection(3, "", "")};
    fake.connections[0].error = ERROR_AUTHENTICATION_FAILURE;
    fake.connections[1].error = noNulError;
    fake.connections[2].error = ERROR_INVALID_HANDLE;  // the fake has no text for it
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].text, "Fake: wrong password.");
    EXPECT_EQ(events[1].text, std::string(100, 'x'));
    EXPECT_EQ(events[2].text, SysErrorMessage(ERROR_INVALID_HANDLE));
}

TEST_F(DialUpFake, HandleZeroEmptiesTheAddressesWithoutAskingTheService)
{
    fake.connections = {Connection(1, "10.1.0.2", "10.1.0.1")};
    ASSERT_EQ(dialUp.GetConnectionIP(1), 0);
    EXPECT_EQ(dialUp.ServerIP(), "10.1.0.1");
    const int calls = fake.projectionCalls;

    EXPECT_EQ(dialUp.GetConnectionIP(0), 0);
    EXPECT_EQ(fake.projectionCalls, calls);
    EXPECT_EQ(dialUp.ServerIP(), "");
    EXPECT_EQ(dialUp.ClientIP(), "");

    EXPECT_EQ(dialUp.GetConnectionIP(42), static_cast<int>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(dialUp.ServerIP(), "");
}

TEST_F(DialUpFake, StatusTextsComeFromTheTableOfTheLanguage)
{
    struct Case {
        TLanguage language;
        DWORD state;
        const char* text;
    };
    const Case cases[] = {
        {TLanguage::English, 0, "Opening port"},
        {TLanguage::English, 9, "Authentication: change password"},
        {TLanguage::English, 21, "Logging on network"},
        {TLanguage::English, 4098, "Callback set by caller"},
        {TLanguage::English, 8193, "Disconnected"},
        {TLanguage::Czech, 0, "Otevírá se port"},
        {TLanguage::Czech, 15, "Příprava na zpetné volání"},
        {TLanguage::Czech, 4098, "Zpeětné volání zvoleno uživatelem"},
        {TLanguage::Czech, 8192, "Spojeno"},
        {TLanguage::Portuguese, 3, "Componente conenctado"},
        {TLanguage::Portuguese, 12, "Autenticaçao: enviando"},
        {TLanguage::Portuguese, 4099, "Senha inválida"},
        {TLanguage::Portuguese, 8193, "Desconectado"},
        {static_cast<TLanguage>(7), 14, "Authenticated"},
    };
    const DWORD unknown[] = {22, 23, 4095, 4100, 8191, 8194, 0xFFFFFFFF};

    fake.connections = {Connection(1, "", "")};
    for (const Case& c : cases) {
        dialUp.Language = c.language;
        fake.connections[0].state = c.state;
        events.clear();
        ASSERT_EQ(dialUp.GetActiveConnections(), 0);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].text, c.text) << c.state;
    }
    for (TLanguage language : {TLanguage::English, TLanguage::Czech, TLanguage::Portuguese}) {
        dialUp.Language = language;
        for (DWORD state : unknown) {
            fake.connections[0].state = state;
            events.clear();
            ASSERT_EQ(dialUp.GetActiveConnections(), 0);
            EXPECT_EQ(events.at(0).text, "") << state;
        }
    }
    // An error wins over the state.
    fake.connections[0].state = 8192;
    fake.connections[0].error = ERROR_AUTHENTICATION_FAILURE;
    events.clear();
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(events.at(0).text, "Fake: wrong password.");
}

TEST_F(RasBinding, MissingLibrariesAndFunctionsRaiseAtTheFirstRasCall)
{
    std::optional<ScopedBuiltInModule> ras;
    ras.emplace("rasapi32.dll", std::nullopt);
    TDialUp dialUp(nullptr);  // creating it loads nothing
    EXPECT_TRUE(dialUp.DUNA()->Count() == 0);
    EXPECT_EQ(MessageOf<Exception>([&] { dialUp.GetActiveConnections(); }), "Error opening rasapi.dll");

    ras.reset();
    ras.emplace("rasapi32.dll", ModuleProcs{});
    ScopedBuiltInModule noRnaph("rnaph.dll", std::nullopt);
    EXPECT_EQ(MessageOf<Exception>([&] { dialUp.GetActiveConnections(); }), "Error opening rnaph.dll");

    {
        ScopedBuiltInModule emptyRnaph("rnaph.dll", ModuleProcs{});
        EXPECT_EQ(MessageOf<Exception>([&] { dialUp.GetActiveConnections(); }),
                  "Function RasEnumConnectionsA not found!");
    }

    // Once bound, a function the library lacks is named the same way.
    ras.reset();
    ras.emplace("rasapi32.dll", ModuleProcs{{"RasEnumConnectionsA", reinterpret_cast<void*>(&FakeEnum)}});
    fake = FakeService{};
    fake.connections = {Connection(1, "", "")};
    EXPECT_EQ(MessageOf<Exception>([&] { dialUp.GetActiveConnections(); }),
              "Function RasGetConnectStatusA not found!");
}

TEST_F(RasBinding, FallsBackToRnaphAndStaysThereWithPlainNames)
{
    fake = FakeService{};
    fake.connections = {Connection(6, "10.6.0.2", "10.6.0.1")};
    ScopedBuiltInModule ras("rasapi32.dll", ModuleProcs{{"RasGetErrorStringA", reinterpret_cast<void*>(&FakeErrorString)},
                                                      {"RasGetConnectStatusA", reinterpret_cast<void*>(&FakeStatus)}});
    ScopedBuiltInModule rnaph("rnaph.dll", ModuleProcs{{"RasEnumConnectionsA", reinterpret_cast<void*>(&FakeEnum)},
                                                      {"RasGetConnectStatusA", reinterpret_cast<void*>(&FakeStatus)},
                                                      {"RasGetProjectionInfoA", reinterpret_cast<void*>(&FakeProjection)}});
    TDialUp dialUp(nullptr);
    dialUp.OnActiveConnection = [&](TComponent*, int handle, const TRasConnStatusA&, const String&,
                                    std::span<const char>, std::span<const char>, std::span<const char>) {
        dialUp.GetConnectionIP(handle);
    };
    ASSERT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(dialUp.ServerIP(), "10.6.0.1");

    // rasapi32 has this one, but every lookup now goes to rnaph.
    EXPECT_EQ(MessageOf<Exception>([] { GetRasProc("RasGetErrorStringA"); }),
              "Function RasGetErrorStringA not found!");
}

TEST(DialUpOnThisMachine, NoPointToPointLinkMeansNoConnectionAndNoError)
{
    if (!CurrentPointToPointLinks().empty()) GTEST_SKIP() << "this machine has a point-to-point interface";
    ReleaseRasLibrary();
    TDialUp dialUp(nullptr);
    int fired = 0;
    dialUp.OnActiveConnection = [&](TComponent*, int, const TRasConnStatusA&, const String&, std::span<const char>,
                                    std::span<const char>, std::span<const char>) { ++fired; };
    EXPECT_EQ(dialUp.GetActiveConnections(), 0);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(dialUp.ServerIP(), "");
    // A connection that is not there has no addresses.
    EXPECT_EQ(dialUp.GetConnectionIP(1), static_cast<int>(ERROR_INVALID_HANDLE));
    ReleaseRasLibrary();
}
