#include "platform/net/HTTPClient.h"

#include "platform/win/WinError.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Raises.h"
#include "tests/support/Watchdog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::HttpReply;
using velvane::test::LoopbackHttpServer;
using velvane::test::Watchdog;
using namespace std::chrono_literals;
using testing::HasSubstr;
using Kind = HttpReply::Kind;

namespace {

struct WorkEvent {
    enum What { Begin, Work, End } what;
    TWorkMode mode;
    std::int64_t count;
};

std::string Text(TMemoryStream& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Every byte value, many times over, so a lost or doubled piece shows.
std::string PatternBody(size_t size)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return body;
}

HttpReply Reply(std::string body, Kind kind = Kind::Whole, int status = 200, std::string reason = "OK")
{
    HttpReply reply;
    reply.body = std::move(body);
    reply.kind = kind;
    reply.status = status;
    reply.reason = std::move(reason);
    return reply;
}

// Runs the caught exception's checks, failing when f raises none or another.
template <typename E, typename F, typename Check>
void ExpectRaises(F&& f, Check&& check)
{
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const E& e) {
        check(e);
    }
}

// The socket error f raises (0 for none), which is also left in GetLastError().
DWORD SocketError(const std::function<void()>& f)
{
    SetLastError(0);
    try {
        f();
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(GetLastError(), e.LastError);
        return e.LastError;
    }
    return 0;
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPump_ = TIdHTTP::PumpEvents;
        TIdHTTP::PumpEvents = [this] { ++pumps; };
        http.OnWorkBegin = [this](QObject*, TWorkMode mode, std::int64_t max) {
            events.push_back({WorkEvent::Begin, mode, max});
        };
        http.OnWork = [this](QObject*, TWorkMode mode, std::int64_t count) {
            events.push_back({WorkEvent::Work, mode, count});
        };
        http.OnWorkEnd = [this](QObject*, TWorkMode mode) { events.push_back({WorkEvent::End, mode, 0}); };
    }
    void TearDown() override { TIdHTTP::PumpEvents = savedPump_; }

    int Count(WorkEvent::What what) const
    {
        int n = 0;
        for (const auto& e : events) n += e.what == what;
        return n;
    }
    bool EndedOnce() const { return Count(WorkEvent::End) == 1 && events.back().what == WorkEvent::End; }
    // A plain Get after a failed one works: nothing was left marked busy.
    void ExpectUsableAgain()
    {
        TIdHTTP::PumpEvents = nullptr;
        server.Serve("/ok", Reply("fine"));
        TMemoryStream again;
        http.Get(server.Url("/ok"), again);
        EXPECT_EQ(Text(again), "fine");
    }

    Watchdog watchdog{60s, "HTTP client test"};
    LoopbackHttpServer server;
    TIdHTTP http{nullptr};
    TMemoryStream dest;
    std::vector<WorkEvent> events;
    int pumps = 0;
    std::function<void()> savedPump_;
};

// --- Bodies and work events ----------------------------------------------

// Begin announces the length (0 when unknown), Work counts up to the whole,
// one End closes; a slow body shows progress on the way while events are pumped.
TEST_F(HttpClientTest, BodiesArriveWholeBetweenOneBeginAndOneEnd)
{
    const struct {
        std::string body;
        Kind kind;
        std::int64_t length;  // -1: not known before the end
    } cases[] = {{PatternBody(600 * 1024), Kind::Whole, 600 * 1024},
                 {PatternBody(1000), Kind::Chunked, -1},
                 {"", Kind::Whole, 0},
                 {"0123456789", Kind::Trickle, 10}};
    for (const auto& c : cases) {
        server.Serve("/b", Reply(c.body, c.kind));
        TMemoryStream body;
        events.clear();
        http.Get(server.Url("/b"), body);

        EXPECT_TRUE(Text(body) == c.body) << c.length;
        EXPECT_EQ(http.ResponseText(), "HTTP/1.1 200 OK");
        EXPECT_EQ(http.ContentLength, c.length);
        EXPECT_EQ(http.ResponseHeader("content-length"), c.length < 0 ? "" : std::to_string(c.length));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front().what, WorkEvent::Begin);
        EXPECT_EQ(events.front().count, std::max<std::int64_t>(c.length, 0));
        EXPECT_TRUE(EndedOnce());
        std::int64_t last = 0;
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            EXPECT_EQ(events[i].what, WorkEvent::Work);
            EXPECT_GT(events[i].count, last);
            last = events[i].count;
        }
        EXPECT_EQ(last, static_cast<std::int64_t>(c.body.size()));
        for (const auto& e : events) EXPECT_EQ(e.mode, TWorkMode::wmRead);
    }
    EXPECT_GT(pumps, 0);
    EXPECT_GT(Count(WorkEvent::Work), 1); // the trickle's progress showed on the way, not only at the end
}

TEST_F(HttpClientTest, BodiesLargerThanTheLimitFailInsteadOfFillingMemory)
{
    http.MaxContentLength = 4096;
    server.Serve("/declared.jpg", Reply(PatternBody(10000)));
    server.Serve("/chunked.jpg", Reply(PatternBody(10000), Kind::Chunked));
    for (const char* path : {"/declared.jpg", "/chunked.jpg"}) {
        TMemoryStream body;
        EXPECT_THROW(http.Get(server.Url(path), body), EIdException) << path;
        EXPECT_LE(body.Size(), 4096) << path;
    }
    http.MaxContentLength = 10000;
    http.Get(server.Url("/chunked.jpg"), dest);
    EXPECT_EQ(dest.Size(), 10000);
}

// --- Error replies and broken transfers ------------------------------------

TEST_F(HttpClientTest, ErrorRepliesRaiseProtocolErrorsWithTheirCodeAndKeepTheBody)
{
    const struct {
        int status;
        const char* reason;
        std::string body;
    } cases[] = {{404, "Not Found", "<html>gone</html>"}, {503, "Service Unavailable", ""}};
    for (const auto& c : cases) {
        server.Serve("/e", Reply(c.body, Kind::Whole, c.status, c.reason));
        TMemoryStream body;
        events.clear();
        ExpectRaises<EIdException>([&] { http.Get(server.Url("/e"), body); }, [&](const EIdException& base) {
            EXPECT_NE(dynamic_cast<const EIdProtocolReplyError*>(&base), nullptr);
            const auto* e = dynamic_cast<const EIdHTTPProtocolException*>(&base);
            ASSERT_NE(e, nullptr) << base.ClassName();
            EXPECT_STREQ(e->ClassName(), "EIdHTTPProtocolException");
            EXPECT_EQ(e->ReplyErrorCode, c.status);
            EXPECT_EQ(e->Message(), "HTTP/1.1 " + std::to_string(c.status) + " " + c.reason);
        });
        EXPECT_EQ(Text(body), c.body);
        EXPECT_EQ(http.ResponseCode(), c.status);
        EXPECT_EQ(events.front().what, WorkEvent::Begin);
        EXPECT_TRUE(EndedOnce()); // the programs read the code in their end handler
        EXPECT_FALSE(http.Connected());
    }
}

TEST_F(HttpClientTest, ConnectionDroppedMidBodyRaisesResetAndEndsWork)
{
    server.Serve("/half", Reply(PatternBody(2000), Kind::CutHalfway));
    EXPECT_EQ(SocketError([&] { http.Get(server.Url("/half"), dest); }), WSAECONNRESET);
    EXPECT_EQ(http.ResponseCode(), 200);
    EXPECT_EQ(dest.Size(), 1000);
    EXPECT_TRUE(EndedOnce());
    EXPECT_FALSE(http.Connected());
}

TEST_F(HttpClientTest, ErrorsFromTheDestinationOrThePumpPassThroughAndEndWork)
{
    class FullDisk : public TMemoryStream {
    public:
        std::int64_t Write(const void*, std::int64_t) override { return 0; }
    } full;
    server.Serve("/pic.jpg", Reply(PatternBody(5000)));
    ExpectRaises<EWriteError>([&] { http.Get(server.Url("/pic.jpg"), full); },
                              [](const EWriteError& e) { EXPECT_STREQ(e.ClassName(), "EWriteError"); });
    EXPECT_TRUE(EndedOnce());

    events.clear();
    server.Serve("/slow", Reply(std::string(200, 'x'), Kind::Trickle));
    TIdHTTP::PumpEvents = [this] {
        if (!events.empty()) throw EInvalidOperation("from a handler");
    };
    EXPECT_THROW(http.Get(server.Url("/slow"), dest), EInvalidOperation);
    EXPECT_TRUE(EndedOnce());
    ExpectUsableAgain();
}

TEST_F(HttpClientTest, SecondGetFromInsideARunningOneIsRefused)
{
    server.Serve("/slow", Reply("0123456789", Kind::Trickle));
    std::string inner;
    http.OnWork = [&](QObject*, TWorkMode, std::int64_t) {
        if (!inner.empty()) return;
        TMemoryStream other;
        try {
            http.Get(server.Url("/slow"), other);
            inner = "no error";
        } catch (const EIdException& e) {
            inner = e.ClassName();
        }
    };

    http.Get(server.Url("/slow"), dest);

    EXPECT_EQ(inner, "EIdException");
    EXPECT_EQ(Text(dest), "0123456789");
    EXPECT_EQ(server.Requests().size(), 1u);
}

// --- Deadlines ------------------------------------------------------------------
// Each stall below lasts the server's RunCap (a minute) unless the client gives
// up: a time-out error shows that the client's own deadline ended it.

TEST_F(HttpClientTest, EveryClientHasDeadlinesOfItsOwn)
{
    const TIdHTTP fresh{nullptr};
    EXPECT_EQ(fresh.ConnectTimeout, 15000);
    EXPECT_EQ(fresh.ReadTimeout, 30000);
}

TEST_F(HttpClientTest, StallAtConnectEndsAtTheConnectTimeout)
{
    const test::UnansweredPort port;
    http.ConnectTimeout = 300;
    http.ReadTimeout = 0;
    http.Host = "127.0.0.1";
    http.Port = port.Port();

    EXPECT_EQ(SocketError([&] { http.Connect(); }), WSAETIMEDOUT);
    EXPECT_EQ(SocketError([&] { http.Get("http://127.0.0.1:" + std::to_string(port.Port()) + "/x", dest); }),
              WSAETIMEDOUT);
    EXPECT_TRUE(events.empty());
}

TEST_F(HttpClientTest, StalledTlsHandshakeEndsAtTheConnectTimeout)
{
    // The server takes the connection and never answers the client's hello.
    server.Serve("/pic.jpg", Reply("not reached"));
    http.ConnectTimeout = 300;
    http.ReadTimeout = 0;
    int connectedEvents = 0;
    http.OnConnected = [&](QObject*) { ++connectedEvents; };

    EXPECT_EQ(SocketError([&] { http.Get("https://127.0.0.1:" + std::to_string(server.Port()) + "/pic.jpg", dest); }),
              WSAETIMEDOUT);
    EXPECT_EQ(connectedEvents, 0);
    EXPECT_EQ(http.ResponseCode(), -1);
}

TEST_F(HttpClientTest, StallInTheHeadersOrTheBodyOrATrickleEndsAtTheReadTimeout)
{
    server.Serve("/head", Reply("never sent", Kind::StallInHead));
    server.Serve("/body", Reply("0123456789", Kind::Stall));
    // A byte every 50 ms never leaves the connection idle for 300 ms, but it
    // brings far less than TrickleBytes in that time.
    server.Serve("/slow", Reply(std::string(200, 'x'), Kind::Trickle));
    http.ReadTimeout = 300;
    const struct {
        const char *path, *text;  // what arrived; null: some, never all
        bool begun;
    } stalls[] = {{"/head", "", false}, {"/body", "01234", true}, {"/slow", nullptr, true}};
    for (const auto& stall : stalls) {
        TMemoryStream body;
        events.clear();
        EXPECT_EQ(SocketError([&] { http.Get(server.Url(stall.path), body); }), WSAETIMEDOUT) << stall.path;
        EXPECT_EQ(http.ResponseCode(), 200) << stall.path;
        if (stall.text) {
            EXPECT_EQ(Text(body), stall.text) << stall.path;
        } else {
            EXPECT_TRUE(body.Size() > 0 && body.Size() < 200) << body.Size();
        }
        EXPECT_TRUE(!stall.begun || EndedOnce()) << stall.path;
    }
}

// On the test's clock, which moves 10 ms a round of the transfer once the
// body has begun: a reply that stops dead ends one ReadTimeout after its last
// byte, although its first bytes came fast enough for the trickle rule.
TEST_F(HttpClientTest, AStallEndsOneReadTimeoutAfterTheLastByte)
{
    test::FakeTickClock clock;
    server.Serve("/body", Reply(std::string(8192, 'x'), Kind::Stall));  // 4096 bytes, then nothing
    http.ReadTimeout = 300;
    TTickClock::time_point lastByte{};
    http.OnWork = [&](QObject*, TWorkMode, std::int64_t) { lastByte = clock.Now(); };
    TIdHTTP::PumpEvents = [&] {
        if (lastByte != TTickClock::time_point{}) clock.Advance(std::chrono::milliseconds(10));
    };
    TMemoryStream body;
    EXPECT_EQ(SocketError([&] { http.Get(server.Url("/body"), body); }), WSAETIMEDOUT);
    EXPECT_EQ(body.Size(), 4096);
    // When the last bytes came just as a trickle window began, that window's
    // end, a whole ReadTimeout with nothing in it, comes one round earlier.
    const auto stalled = clock.Now() - lastByte;
    EXPECT_GE(stalled, std::chrono::milliseconds(300));
    EXPECT_LE(stalled, std::chrono::milliseconds(310));
}

// --- Cancel --------------------------------------------------------------------
// The trickle's 200 bytes would take ten seconds.

TEST_F(HttpClientTest, DisconnectFromWorkEventCancelsSlowBody)
{
    server.Serve("/slow", Reply(std::string(200, 'x'), Kind::Trickle));
    http.OnWork = [this](QObject*, TWorkMode, std::int64_t count) {
        events.push_back({WorkEvent::Work, TWorkMode::wmRead, count});
        if (count >= 3 && http.Connected()) http.Disconnect();
    };

    ExpectRaises<EIdConnClosedGracefully>([&] { http.Get(server.Url("/slow"), dest); },
                                          [](const EIdConnClosedGracefully& e) {
                                              EXPECT_STREQ(e.ClassName(), "EIdConnClosedGracefully");
                                              EXPECT_EQ(e.Message(), "A conexão foi encerrada.");
                                          });
    EXPECT_LT(dest.Size(), 200);
    EXPECT_GE(dest.Size(), 3);
    EXPECT_TRUE(EndedOnce());
    EXPECT_FALSE(http.Connected());
}

TEST_F(HttpClientTest, DisconnectBeforeAnyReplyCancelsWithoutWorkEvents)
{
    server.Serve("/silent", Reply("", Kind::Silent));
    int calls = 0;
    TIdHTTP::PumpEvents = [&] {
        if (++calls == 3) http.Disconnect();
    };

    EXPECT_THROW(http.Get(server.Url("/silent"), dest), EIdConnClosedGracefully);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(http.ResponseCode(), -1);
    EXPECT_TRUE(events.empty());
}

// --- Redirects -------------------------------------------------------------------

TEST_F(HttpClientTest, RedirectsAreFollowedWhenAskedUpToTheMaximum)
{
    server.Redirect("/old.jpg", "/new.jpg");
    server.Serve("/new.jpg", Reply("new picture"));
    http.HandleRedirects = true;

    http.Get(server.Url("/old.jpg"), dest);

    EXPECT_EQ(Text(dest), "new picture");
    EXPECT_EQ(http.ResponseCode(), 200);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/new.jpg");
    EXPECT_EQ(Count(WorkEvent::Begin), 1);
    EXPECT_EQ(events.front().count, 11);
    EXPECT_TRUE(EndedOnce());

    server.Redirect("/loop", "/loop");
    http.RedirectMaximum = 3;
    ExpectRaises<EIdHTTPProtocolException>([&] { http.Get(server.Url("/loop"), dest); },
                                           [](const EIdHTTPProtocolException& e) { EXPECT_EQ(e.ReplyErrorCode, 302); });
    EXPECT_EQ(server.Requests().size(), 2u + 4u);
}

TEST_F(HttpClientTest, RedirectNotFollowedIsAProtocolError)
{
    server.Redirect("/old.jpg", "/new.jpg");
    http.HandleRedirects = false;

    ExpectRaises<EIdHTTPProtocolException>([&] { http.Get(server.Url("/old.jpg"), dest); },
                                           [](const EIdHTTPProtocolException& e) { EXPECT_EQ(e.ReplyErrorCode, 302); });
    EXPECT_EQ(http.ResponseCode(), 302);
    EXPECT_EQ(http.ResponseHeader("Location"), "/new.jpg");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpClientTest, RedirectWithoutTargetIsAProtocolError)
{
    HttpReply nowhere = Reply("moved", Kind::Whole, 302);
    server.Serve("/missing", nowhere);
    nowhere.headers = {"Location: "};
    server.Serve("/empty", nowhere);
    nowhere.status = 304;
    server.Serve("/unchanged", nowhere);
    http.HandleRedirects = true;
    for (const char* path : {"/missing", "/empty", "/unchanged"}) {
        ExpectRaises<EIdHTTPProtocolException>([&] { http.Get(server.Url(path), dest); },
                                               [&](const EIdHTTPProtocolException& e) {
                                                   EXPECT_EQ(e.ReplyErrorCode, http.ResponseCode()) << path;
                                                   EXPECT_EQ(e.ReplyErrorCode / 100, 3) << path;
                                               });
        EXPECT_FALSE(http.Connected()) << path;
    }
}

// --- Malformed replies ----------------------------------------------------------

TEST_F(HttpClientTest, BrokenRepliesAreProtocolErrorsThatSayWhatWasWrong)
{
    const auto raw = [](std::string bytes) { return Reply(std::move(bytes), Kind::Raw); };
    server.Serve("/chunk", raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "FFFFFFFFFFFFFFFFFFFF\r\nabc\r\n0\r\n\r\n"));
    server.Serve("/sign", raw("HTTP/1.1 -02 OK\r\nContent-Length: 2\r\n\r\nok"));
    std::string manyLines = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 2000; ++i) manyLines += "X-Filler: " + std::string(40, 'f') + "\r\n";
    server.Serve("/lines", raw(manyLines + "Content-Length: 2\r\n\r\nok"));
    server.Serve("/line", raw("HTTP/1.1 200 OK\r\nX-Big: " + std::string(200000, 'b') + "\r\n\r\n"));
    server.Serve("/interim", Reply("", Kind::EndlessInterim));
    // The message of the protocol error; a socket error or success fails.
    const auto fault = [&](const char* path) {
        return test::MessageOf<EIdProtocolReplyError>([&] { http.Get(server.Url(path), dest); });
    };

    EXPECT_THAT(fault("/chunk"), HasSubstr("chunk"));
    EXPECT_THAT(fault("/sign"), HasSubstr("malformada"));
    const std::string tooLarge = "O cabeçalho da resposta do servidor tem mais de 65536 bytes.";
    EXPECT_EQ(fault("/lines"), tooLarge);
    EXPECT_EQ(fault("/line"), tooLarge);
    EXPECT_EQ(fault("/interim"), "O servidor enviou mais de 20 respostas provisórias.");
    EXPECT_EQ(dest.Size(), 0);

    // A header just under the bound is taken.
    std::string bigButFine = "HTTP/1.1 200 OK\r\n";
    while (bigButFine.size() < 60000) bigButFine += "X-Filler: " + std::string(40, 'f') + "\r\n";
    server.Serve("/fine", raw(bigButFine + "Content-Length: 2\r\n\r\nok"));
    http.Get(server.Url("/fine"), dest);
    EXPECT_EQ(Text(dest), "ok");
}

// --- Request headers -------------------------------------------------------------

TEST_F(HttpClientTest, RequestCarriesTheClientHeadersWithoutInjectedLines)
{
    server.Serve("/h", Reply("ok"));
    http.Request.From = "user@example.org\r\nX-Injected: yes";
    http.Request.Referer = "http://velvane.test/";
    http.Request.Connection = "close";
    http.Request.CustomHeaders = {"X-Velvane: 1"};
    http.Get(server.Url("/h"), dest);
    // Clear goes back to the defaults: no From, Referer or extra lines.
    http.Request.Accept = "";
    http.Request.UserAgent = "Other";
    http.Request.Clear();
    http.Get(server.Url("/h"), dest);
    // Empty texts send no line.
    http.Request.Accept = "";
    http.Request.UserAgent = "";
    http.Get(server.Url("/h"), dest);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    const auto& r = requests[0];
    EXPECT_EQ(r.requestLine, "GET /h HTTP/1.1");
    EXPECT_EQ(r.Header("From"), "user@example.orgX-Injected: yes");
    EXPECT_FALSE(r.HasHeader("X-Injected"));
    EXPECT_EQ(r.Header("Referer"), "http://velvane.test/");
    EXPECT_EQ(r.Header("Connection"), "close");
    EXPECT_EQ(r.Header("X-Velvane"), "1");
    for (const auto& defaults : {requests[0], requests[1]}) {
        EXPECT_EQ(defaults.Header("Accept"), "text/html, */*");
        EXPECT_EQ(defaults.Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    }
    EXPECT_FALSE(requests[1].HasHeader("From"));
    EXPECT_FALSE(requests[1].HasHeader("Referer"));
    EXPECT_FALSE(requests[1].HasHeader("X-Velvane"));
    EXPECT_FALSE(requests[2].HasHeader("Accept"));
    EXPECT_FALSE(requests[2].HasHeader("User-Agent"));
}

// --- Connect -----------------------------------------------------------------------

TEST_F(HttpClientTest, UnspecifiedAddressOrClosedPortFailsWithoutARequest)
{
    server.Serve("/", Reply("should not be reached"));
    // Linux would take 0.0.0.0 for this machine; the client must not.
    const struct {
        const char* host;
        int port;
        DWORD error;
    } cases[] = {{"0.0.0.0", server.Port(), WSAEADDRNOTAVAIL}, {"127.0.0.1", test::ClosedLoopbackPort(), WSAECONNREFUSED}};
    for (const auto& c : cases) {
        http.Host = c.host;
        http.Port = c.port;
        EXPECT_EQ(SocketError([&] { http.Connect(); }), c.error) << c.host;
        EXPECT_FALSE(http.Connected());
        const std::string url = "http://" + std::string(c.host) + ":" + std::to_string(c.port) + "/";
        EXPECT_EQ(SocketError([&] { http.Get(url, dest); }), c.error) << c.host;
        EXPECT_EQ(http.ResponseCode(), -1);
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(HttpClientTest, ConnectProbesHostOrProxyAndDisconnectCloses)
{
    http.Host = "127.0.0.1";
    http.Port = server.Port();
    int connectedEvents = 0;
    http.OnConnected = [&](QObject*) { ++connectedEvents; };
    std::vector<TIdStatus> statuses;
    http.OnStatus = [&](QObject*, TIdStatus status, const String&) { statuses.push_back(status); };

    http.Connect();
    EXPECT_TRUE(http.Connected());
    EXPECT_EQ(connectedEvents, 1);
    EXPECT_THROW(http.Connect(), EIdAlreadyConnected);
    http.Disconnect();
    EXPECT_FALSE(http.Connected());
    EXPECT_EQ(statuses, (std::vector{TIdStatus::hsConnecting, TIdStatus::hsConnected, TIdStatus::hsDisconnected}));

    // Through a proxy only the proxy needs to answer, and it gets the whole
    // address; without a scheme the client puts http:// in front (the name
    // is never looked up here).
    http.Host = "0.0.0.0";
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = server.Port();
    http.Connect();
    EXPECT_TRUE(http.Connected());
    http.Disconnect();
    server.Serve("/pic.jpg", Reply("via proxy"));
    http.Get("velvane.test/pic.jpg", dest);
    EXPECT_EQ(Text(dest), "via proxy");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET http://velvane.test/pic.jpg HTTP/1.1");
    EXPECT_EQ(requests[0].Header("Host"), "velvane.test");
}

} // namespace
