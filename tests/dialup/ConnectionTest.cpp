// The online test and the HTTP set-up per connection type, with a fake
// dial-up service, echo requests on loopback, an injected interface list and
// a local HTTP proxy.

#include "dialup/Connection.h"

#include "dialup/DialUp.h"
#include "platform/desktop/DesktopProxy.h"
#include "platform/net/HTTPClient.h"
#include "platform/net/IPWatch.h"
#include "platform/net/IcmpClient.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Registry.h"
#include "tests/support/FakeRas.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempEnv.h"

#include <net/if.h>

#include <gtest/gtest.h>

using namespace velvane;
using namespace velvane::test;

namespace {

class ConnectionTest : public testing::Test {
protected:
    ConnectionTest()
    {
        ReleaseRasLibrary();
        fake = FakeService{};
        // Nothing from this machine's desktop or environment.
        SetDesktopProxySources({[](const String&, const String&) { return std::optional<String>(); },
                                [](const String&) { return std::optional<String>(); }});
        watch.InterfaceSource = [this] { return interfaces; };
        watch.HistoryEnabled = false;
        dialUp.OnActiveConnection = [this](TComponent*, int handle, const TRasConnStatusA&, const String&,
                                           std::span<const char>, std::span<const char>, std::span<const char>) {
            check.DialUpActiveConnection(handle);
        };
        http.Host = "untouched";
        Online = false;
    }
    ~ConnectionTest() override
    {
        SetDesktopProxySources({});
        ReleaseRasLibrary();
        Online = false;
    }

    void BrowserProxy(const String& value)
    {
        TRegistry reg;
        reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true);
        reg.WriteString("ProxyServer", value);
    }

    TempEnv env;
    ScopedBuiltInModule ras{"rasapi32.dll", FakeProcs()};
    TConfig cfg;
    TIdHTTP http{nullptr};
    TIdIcmpClient icmp{nullptr};
    TIdIPWatch watch{nullptr};
    TDialUp dialUp{nullptr};
    std::vector<TNetInterfaceAddress> interfaces;
    TConnectionCheck check{{cfg, http, icmp, watch, dialUp, [] { return String("www.velvane.example"); }}};
};

} // namespace

TEST_F(ConnectionTest, NoConnectionTypeIsOfflineAndSetsNothingUp)
{
    Online = true;
    cfg.cfg_ConType = 0;
    check.CheckConnection();
    EXPECT_FALSE(Online);
    EXPECT_EQ(http.Host, "untouched");
    EXPECT_EQ(icmp.Host, "");

    // A type the program does not know changes nothing at all.
    cfg.cfg_ConType = 5;
    Online = true;
    check.CheckConnection();
    EXPECT_TRUE(Online);
    EXPECT_EQ(http.Host, "untouched");
}

TEST_F(ConnectionTest, DialUpIsOnlineOnlyWithAServerAddressSeenInThisCheck)
{
    cfg.cfg_ConType = 1;
    cfg.cfg_ProxyIP = "10.0.0.9";
    check.CheckConnection();
    EXPECT_FALSE(Online) << "no connection";

    fake.connections = {Connection(7, "10.64.1.2", "")};
    check.CheckConnection();
    EXPECT_FALSE(Online) << "a connection without a server address";

    fake.connections = {Connection(7, "10.64.1.2", "10.64.0.1")};
    check.CheckConnection();
    EXPECT_TRUE(Online);
    EXPECT_EQ(http.Host, "www.velvane.example");
    EXPECT_EQ(http.Request.Server, "www.velvane.example");
    EXPECT_EQ(http.Port, 80);
    EXPECT_EQ(http.RecvBufferSize, 57958);
    EXPECT_EQ(icmp.Host, "10.0.0.9");

    // Of several connections, one without a server address never takes the
    // client away from one that has it: online means the client can go.
    for (auto order : {std::vector{Connection(7, "10.64.1.2", "10.64.0.1"), Connection(8, "10.65.1.2", "")},
                       std::vector{Connection(8, "10.65.1.2", ""), Connection(7, "10.64.1.2", "10.64.0.1")}}) {
        fake.connections = order;
        http.Host = "untouched";
        check.CheckConnection();
        EXPECT_TRUE(Online);
        EXPECT_EQ(http.Host, "www.velvane.example");
    }

    // Hung up since the last check: no address is remembered.
    fake.connections = {Connection(7, "10.64.1.2", "10.64.0.1")};
    fake.connections[0].hungUp = true;
    check.CheckConnection();
    EXPECT_FALSE(Online);
}

TEST_F(ConnectionTest, NetworkAndProxyAnswerTheEchoFromTheProxyAddress)
{
    cfg.cfg_ConType = 2;
    cfg.cfg_ProxyIP = "127.0.0.1";
    cfg.cfg_ProxyPort = 3128;
    cfg.cfg_MailUser = "ana@example.com\r\nX: y";
    http.Request.Accept = "stored/accept";
    check.CheckConnection();
    ASSERT_TRUE(Online);
    EXPECT_EQ(http.Request.ProxyServer, "127.0.0.1");
    EXPECT_EQ(http.Request.ProxyPort, 3128);
    EXPECT_EQ(http.Request.Server, "127.0.0.1");
    EXPECT_EQ(http.Host, "127.0.0.1");
    EXPECT_EQ(http.Port, 3128);
    EXPECT_EQ(http.RecvBufferSize, 10485760);
    EXPECT_EQ(http.Request.From, cfg.cfg_MailUser);
    EXPECT_NE(http.Request.Accept, "stored/accept") << "the client's own defaults replace the stored ones";

    cfg.cfg_ConType = 3;
    check.CheckConnection();
    EXPECT_TRUE(Online);
    EXPECT_EQ(http.RecvBufferSize, 57958);

    // A name answers from its address: not the same text, so offline.
    cfg.cfg_ProxyIP = "localhost";
    check.CheckConnection();
    EXPECT_FALSE(Online);
}

TEST_F(ConnectionTest, ThroughTheProxyTheRequestCarriesTheWholeAddress)
{
    LoopbackHttpServer proxy;
    proxy.Serve("/kestrin.net", {200, "OK", {}, "host=www.velvane.example\r\n"});
    for (int type : {2, 3}) {
        cfg.cfg_ConType = type;
        cfg.cfg_ProxyIP = "127.0.0.1";
        cfg.cfg_ProxyPort = proxy.Port();
        check.CheckConnection();
        ASSERT_TRUE(Online) << type;
        TMemoryStream body;
        http.Get("http://www.velvane.example/kestrin.net", body);
        EXPECT_EQ(body.Size(), 26);
    }
    auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) EXPECT_EQ(r.requestLine, "GET http://www.velvane.example/kestrin.net HTTP/1.1");
}

TEST_F(ConnectionTest, BroadbandActivatesTheWatcherOnTheFirstCheck)
{
    cfg.cfg_ConType = 4;
    interfaces = {{"lo", IFF_UP | IFF_LOOPBACK, "127.0.0.1"}};
    EXPECT_FALSE(watch.Active());
    check.CheckConnection();
    EXPECT_TRUE(watch.Active());
    EXPECT_FALSE(Online);

    interfaces.push_back({"eth0", IFF_UP | IFF_RUNNING, "192.0.2.10"});
    check.CheckConnection();
    EXPECT_TRUE(Online);
    EXPECT_EQ(http.Host, "www.velvane.example");
    EXPECT_EQ(http.Request.Server, "www.velvane.example");
    EXPECT_EQ(http.Port, 80);
    EXPECT_EQ(http.RecvBufferSize, 262144);
}

TEST_F(ConnectionTest, TheBrowserProxyGivesAddressAndPort)
{
    BrowserProxy("10.1.2.3:8080");
    check.ProxyIEKey();
    EXPECT_EQ(cfg.cfg_ProxyIP, "10.1.2.3");
    EXPECT_EQ(cfg.cfg_ProxyPort, 8080);

    BrowserProxy(":3128");
    check.ProxyIEKey();
    EXPECT_EQ(cfg.cfg_ProxyIP, "0.0.0.0");
    EXPECT_EQ(cfg.cfg_ProxyPort, 3128);

    BrowserProxy("8081");  // no colon: the whole text is the port
    check.ProxyIEKey();
    EXPECT_EQ(cfg.cfg_ProxyIP, "0.0.0.0");
    EXPECT_EQ(cfg.cfg_ProxyPort, 8081);

    // Per protocol: the port does not convert, nothing is half taken, and a
    // check that takes the browser's proxy reports offline.
    cfg.cfg_ProxyIP = "127.0.0.1";
    cfg.cfg_ProxyPort = 1;
    BrowserProxy("http=a:1;ftp=b:2");
    EXPECT_THROW(check.ProxyIEKey(), EConvertError);
    EXPECT_EQ(cfg.cfg_ProxyIP, "127.0.0.1");
    EXPECT_EQ(cfg.cfg_ProxyPort, 1);
    cfg.cfg_ConType = 2;
    cfg.cfg_IEProxyAuto = true;
    check.CheckConnection();
    EXPECT_FALSE(Online);
}

TEST_F(ConnectionTest, ADesktopProxyWithoutAPortIsReachedOnItsSchemesPort)
{
    SetDesktopProxySources({[](const String&, const String&) { return std::optional<String>(); },
                            [](const String& name) {
                                return name == "http_proxy" ? std::optional<String>("http://127.0.0.1/")
                                                            : std::optional<String>();
                            }});
    cfg.cfg_ConType = 3;
    cfg.cfg_IEProxyAuto = true;
    cfg.cfg_ProxyIP = "127.0.0.1";
    for (int pass = 0; pass < 2; ++pass) {
        check.CheckConnection();
        EXPECT_TRUE(Online) << pass;
        EXPECT_EQ(cfg.cfg_ProxyIP, "127.0.0.1");
        EXPECT_EQ(cfg.cfg_ProxyPort, 80);
        EXPECT_EQ(http.Request.ProxyPort, 80);
    }
}
