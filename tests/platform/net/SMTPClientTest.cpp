#include "platform/net/SMTPClient.h"

#include "platform/rtl/FileUtils.h"
#include "platform/win/WinError.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TempEnv.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::ScriptedSmtpServer;
using velvane::test::SmtpScript;
using velvane::test::SmtpSink;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

// Every byte value, many times over, so a lost or changed byte shows.
std::string PatternBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

bool EveryLineEndsWithCrLf(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    }
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

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

class SmtpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPump_ = TNMSMTP::PumpEvents;
        TNMSMTP::PumpEvents = [this] {
            ++pumps;
            if (onPump) onPump();
        };
        auto record = [this](const char* name) { return [this, name](QObject*) { events.push_back(name); }; };
        smtp.OnConnect = record("connect");
        smtp.OnAuthenticationFailed = record("authentication failed");
        smtp.OnConnectionFailed = record("connection failed");
        smtp.OnFailure = record("failure");
        smtp.OnInvalidHost = record("invalid host");
        smtp.OnSendStart = record("send start");
        smtp.OnSuccess = record("success");
        smtp.OnStatus = [this](QObject*, const String&) { events.push_back("status"); };
        smtp.OnPacketSent = [this](QObject*) {
            events.push_back("packet");
            progress.push_back(smtp.BytesSent());
        };
        smtp.OnAttachmentNotFound = [this](QObject*, const String& f) { events.push_back("attachment " + f); };
        smtp.OnRecipientNotFound = [this](QObject*, const String& r) { events.push_back("recipient " + r); };
        smtp.Host = "127.0.0.1";
    }
    void TearDown() override { TNMSMTP::PumpEvents = savedPump_; }

    void Address(const std::string& to = "bia@example.org")
    {
        smtp.PostMessage.FromAddress = "ana@example.com";
        smtp.PostMessage.FromName = "ana";
        smtp.PostMessage.ToAddress.Add(to);
        smtp.PostMessage.Subject = "Imagem compartilhada pelo Velvane";
        smtp.PostMessage.LocalProgram = "Velvane";
        smtp.PostMessage.Body.SetText("Olá!");
    }
    std::string File(const std::string& name, const std::string& bytes)
    {
        const std::string path = env.Path(name);
        AtomicWriteFile(path, bytes);
        return path;
    }
    bool Saw(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }

    Watchdog watchdog{60s, "SMTP client test"};
    test::TempEnv env;
    TNMSMTP smtp{nullptr};
    std::vector<std::string> events;
    std::vector<std::int64_t> progress;
    int pumps = 0;
    std::function<void()> onPump;

private:
    std::function<void()> savedPump_;
};

} // namespace

TEST_F(SmtpClientTest, RealServerReadsBackSenderRecipientTextAndAttachment)
{
    SmtpSink sink;
    smtp.Port = sink.Port();
    const std::string picture = PatternBytes(300000);
    Address();
    smtp.PostMessage.Body.Clear();
    for (const char* line : {"Olá, veja esta foto da praia — ação!", ".começa com ponto", ".", "..", "",
                             "Tipo de imagem:Computação gráfica"})
        smtp.PostMessage.Body.Add(line);
    smtp.PostMessage.Attachments.Add(File("praia ação.jpg", picture));
    smtp.PostMessage.Date = "Thu, 29 Feb 2024 23:59:58 -0300";

    smtp.Connect();
    EXPECT_TRUE(smtp.Connected());
    smtp.SendMail();
    smtp.Disconnect();
    EXPECT_FALSE(smtp.Connected());

    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 1u);
    const test::ReceivedMail& mail = mails[0];
    EXPECT_EQ(mail.mailFrom, "ana@example.com");
    EXPECT_EQ(mail.rcptTo, std::vector<std::string>{"bia@example.org"});
    EXPECT_EQ(mail.fromAddress, "ana@example.com");
    EXPECT_EQ(mail.fromName, "ana");
    EXPECT_EQ(mail.to, std::vector<std::string>{"bia@example.org"});
    EXPECT_EQ(mail.subject, "Imagem compartilhada pelo Velvane");
    EXPECT_EQ(mail.date, "2024-02-29T23:59:58-03:00");
    EXPECT_EQ(mail.messageId.rfind('<', 0), 0u);
    EXPECT_NE(mail.messageId.find("@example.com>"), std::string::npos);
    EXPECT_EQ(mail.mailer, "Velvane");
    EXPECT_EQ(mail.bodyCharset, "utf-8");
    EXPECT_EQ(mail.body, "Olá, veja esta foto da praia — ação!\n.começa com ponto\n.\n..\n\n"
                         "Tipo de imagem:Computação gráfica");
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].fileName, "praia ação.jpg");
    EXPECT_EQ(mail.attachments[0].contentType, "image/jpeg");
    EXPECT_TRUE(mail.attachments[0].bytes == picture) << "the attachment's bytes differ";
    EXPECT_TRUE(mail.defects.empty()) << mail.defects.front();
    EXPECT_TRUE(EveryLineEndsWithCrLf(mail.raw));
    EXPECT_EQ(static_cast<std::int64_t>(mail.raw.size()), smtp.BytesTotal());

    // The events in order, the progress rising to the whole message.
    EXPECT_EQ(events.front(), "connect");
    EXPECT_EQ(events[1], "send start");
    EXPECT_EQ(events.back(), "success");
    EXPECT_TRUE(Saw("status"));
    ASSERT_GE(progress.size(), 2u) << "a message this size goes in several pieces";
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), smtp.BytesTotal());
    EXPECT_GT(pumps, 0);

    // Recipients and attachments are cleared after sending, the text is not.
    EXPECT_EQ(smtp.PostMessage.ToAddress.Count(), 0);
    EXPECT_EQ(smtp.PostMessage.Attachments.Count(), 0);
    EXPECT_EQ(smtp.PostMessage.Body.Count(), 6);
}

TEST_F(SmtpClientTest, ServerOfferingStartTlsGetsTheMessageEncrypted)
{
    std::string cert, key;
    if (!test::MakeTestCertificate(env.Root(), cert, key)) GTEST_SKIP() << "openssl could not make a certificate";
    SmtpSink sink(cert, key);
    smtp.Port = sink.Port();
    Address();
    smtp.Connect();
    smtp.SendMail();
    smtp.Disconnect();
    const auto mails = sink.Mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(mails[0].overTls);
    EXPECT_EQ(mails[0].body, "Olá!\n");
}

TEST_F(SmtpClientTest, OneSessionCarriesSeveralMessagesAndEndsWithQuit)
{
    ScriptedSmtpServer server;
    smtp.Port = server.Port();
    smtp.Connect();
    for (const char* to : {"bia@example.org", "caio@example.org"}) {
        Address(to);
        // A lone dot and a leading dot are text, not the end of the message.
        smtp.PostMessage.Body.SetText("um\r\n.\r\n.dois\r\n");
        smtp.SendMail();
    }
    smtp.Disconnect();

    EXPECT_EQ(server.Connections(), 1);
    std::vector<std::string> verbs;
    for (const std::string& line : server.Commands()) verbs.push_back(line.substr(0, 4));
    EXPECT_EQ(verbs, (std::vector<std::string>{"EHLO", "NOOP", "MAIL", "RCPT", "DATA", "MAIL", "RCPT", "DATA", "QUIT"}));
    EXPECT_EQ(server.Commands()[6], "RCPT TO:<caio@example.org>") << "the first recipient is not carried over";
    const auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].find("\r\n\r\num\r\n.\r\n.dois\r\n"), std::string::npos) << messages[1];
    EXPECT_EQ(static_cast<std::int64_t>(messages[1].size()), smtp.BytesTotal()) << "nothing doubled or lost";
}

TEST_F(SmtpClientTest, RefusedGreetingOrHelloIsAnAuthenticationFailure)
{
    for (const SmtpScript& script : {SmtpScript().Greeting("554 5.3.2 No service here"),
                                     SmtpScript().Reply("EHLO", "550 Not you").Reply("HELO", "550 Not you")}) {
        ScriptedSmtpServer server(script);
        events.clear();
        smtp.Port = server.Port();
        ExpectRaises<EIdSMTPReplyError>([&] { smtp.Connect(); },
                                        [](const EIdSMTPReplyError& e) { EXPECT_GE(e.ReplyCode, 550); });
        EXPECT_EQ(events, std::vector<std::string>{"authentication failed"});
        EXPECT_FALSE(smtp.Connected());
        server.Stop();
        EXPECT_FALSE(server.Received("MAIL"));
        EXPECT_FALSE(server.GaveUp());
    }
}

TEST_F(SmtpClientTest, RefusedRecipientIsNamedAndTheClosingQuitIsNotWaitedFor)
{
    // The server never answers the QUIT that follows the refusal.
    ScriptedSmtpServer server(
        SmtpScript().Reply("RCPT", "550 5.1.1 <bia@example.org>: Recipient address rejected").StallAt("QUIT"));
    smtp.Port = server.Port();
    Address();
    smtp.Connect();
    ExpectRaises<EIdSMTPReplyError>([&] { smtp.SendMail(); },
                                    [](const EIdSMTPReplyError& e) { EXPECT_EQ(e.ReplyCode, 550); });
    EXPECT_EQ(events.back(), "recipient bia@example.org");
    EXPECT_FALSE(smtp.Connected());
    server.Stop();
    EXPECT_FALSE(server.Received("DATA"));
    EXPECT_TRUE(server.Messages().empty());
    EXPECT_FALSE(server.GaveUp()) << "the client waited for the reply to QUIT";
}

TEST_F(SmtpClientTest, ConnectionDroppedInTheMiddleOfTheMessageFails)
{
    ScriptedSmtpServer server(SmtpScript().DropAt("CONTENT"));
    smtp.Port = server.Port();
    Address();
    smtp.PostMessage.Attachments.Add(File("grande.jpg", PatternBytes(2000000)));
    smtp.Connect();
    EXPECT_THROW(smtp.SendMail(), EIdException);
    EXPECT_EQ(events.back(), "failure");
    EXPECT_FALSE(smtp.Connected());
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(SmtpClientTest, DisconnectStopsAServerThatStallsWhileConnectingOrSending)
{
    {
        ScriptedSmtpServer server(SmtpScript().Greeting(""));
        smtp.Port = server.Port();
        onPump = [&] {
            if (server.Connections() == 1) smtp.Disconnect();
        };
        EXPECT_THROW(smtp.Connect(), EIdConnClosedGracefully);
        EXPECT_EQ(events, std::vector<std::string>{"connection failed"});
        EXPECT_FALSE(smtp.Connected());
        server.Stop();
        EXPECT_FALSE(server.GaveUp());
    }
    {
        // Cancelled as the server answers: whenever it is heard, no session is left.
        ScriptedSmtpServer server;
        smtp.Port = server.Port();
        onPump = [&] {
            if (server.Received("NOOP")) smtp.Disconnect();
        };
        EXPECT_THROW(smtp.Connect(), EIdConnClosedGracefully);
        EXPECT_FALSE(smtp.Connected());
    }
    events.clear();
    ScriptedSmtpServer server(SmtpScript().StallAt("."));
    smtp.Port = server.Port();
    onPump = nullptr;
    smtp.Connect();
    Address();
    onPump = [&] {
        if (server.Messages().size() == 1) smtp.Disconnect();
    };
    EXPECT_THROW(smtp.SendMail(), EIdConnClosedGracefully);
    EXPECT_EQ(events.back(), "failure");
    EXPECT_FALSE(smtp.Connected());
    server.Stop();
    EXPECT_FALSE(server.GaveUp());
}

TEST_F(SmtpClientTest, AServerThatNeverAnswersTimesOut)
{
    ScriptedSmtpServer server(SmtpScript().StallAt("."));
    smtp.Port = server.Port();
    smtp.ReplyTimeout = 1;
    smtp.Connect();
    Address();
    ExpectRaises<EIdSocketError>([&] { smtp.SendMail(); },
                                 [](const EIdSocketError& e) { EXPECT_EQ(e.LastError, WSAETIMEDOUT); });
    EXPECT_EQ(events.back(), "failure");
}

TEST_F(SmtpClientTest, RefusedHostThenAnotherThatAccepts)
{
    ScriptedSmtpServer server;
    smtp.Port = server.Port();
    // Nothing listens on this loopback address.
    smtp.Host = "127.0.0.2";
    ExpectRaises<EIdSocketError>([&] { smtp.Connect(); },
                                 [](const EIdSocketError& e) { EXPECT_EQ(e.LastError, WSAECONNREFUSED); });
    EXPECT_EQ(GetLastError(), WSAECONNREFUSED);
    EXPECT_FALSE(smtp.Connected());
    smtp.Host = "127.0.0.1";
    smtp.Connect();
    EXPECT_TRUE(smtp.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"connection failed", "connect"}));
}

TEST_F(SmtpClientTest, HostsThatCannotBeUsedFailBeforeAnyLookUp)
{
    for (const char* host : {"", "smtp.exa mple.com", "smtp.example.com/x", "evil@smtp.example.com"}) {
        events.clear();
        smtp.Host = host;
        ExpectRaises<EIdSocketError>([&] { smtp.Connect(); },
                                     [](const EIdSocketError& e) { EXPECT_EQ(e.LastError, WSAHOST_NOT_FOUND); });
        EXPECT_EQ(events, std::vector<std::string>{"invalid host"}) << host;
    }
    events.clear();
    smtp.Host = "0.0.0.0";
    ExpectRaises<EIdSocketError>([&] { smtp.Connect(); },
                                 [](const EIdSocketError& e) { EXPECT_EQ(e.LastError, WSAEADDRNOTAVAIL); });
    EXPECT_EQ(events, std::vector<std::string>{"connection failed"});
}

TEST_F(SmtpClientTest, AddressesOrFileNamesWithLineBreaksAndMissingFilesSendNothing)
{
    ScriptedSmtpServer server;
    smtp.Port = server.Port();
    smtp.Connect();
    const std::string missing = env.Path("sumiu.jpg");
    struct Case {
        std::function<void(TNMSMTP::TPostMessage&)> spoil;
        std::string event;
    };
    const Case cases[] = {
        {[](auto& m) { m.ToAddress.Put(0, "bia@example.org\r\nRCPT TO:<spy@example.net>"); },
         "recipient bia@example.org\r\nRCPT TO:<spy@example.net>"},
        {[](auto& m) { m.FromAddress = "ana@example.com\nRSET"; }, "recipient ana@example.com\nRSET"},
        {[](auto& m) { m.ToAddress.Clear(); }, "recipient "},
        {[&](auto& m) { m.Attachments.Add(missing); }, "attachment " + missing},
        {[&](auto& m) { m.Attachments.Add(File("a.jpg", "x") + "\n"); }, "attachment " + env.Path("a.jpg") + "\n"},
    };
    for (const Case& c : cases) {
        events.clear();
        smtp.PostMessage.ToAddress.Clear();
        smtp.PostMessage.Attachments.Clear();
        Address();
        c.spoil(smtp.PostMessage);
        EXPECT_THROW(smtp.SendMail(), Exception) << c.event;
        EXPECT_EQ(events, (std::vector<std::string>{"send start", c.event}));
        EXPECT_TRUE(smtp.Connected()) << "the session is still good";
    }
    EXPECT_FALSE(server.Received("MAIL"));
    EXPECT_FALSE(server.Received("RCPT"));

    Address();
    smtp.SendMail();
    EXPECT_EQ(server.Messages().size(), 1u);
}

TEST_F(SmtpClientTest, DisconnectWhileTheServerStallsOnQuitEndsAtOnce)
{
    ScriptedSmtpServer server(SmtpScript().StallAt("QUIT"));
    smtp.Port = server.Port();
    smtp.Connect();
    int nested = 0;
    onPump = [&] {
        if (server.Received("QUIT") && nested++ == 0) smtp.Disconnect();
    };
    smtp.Disconnect();
    EXPECT_GT(nested, 0) << "the wait for the reply to QUIT lets the program run";
    EXPECT_FALSE(smtp.Connected());
    server.Stop();
    EXPECT_FALSE(server.GaveUp());
    // Disconnecting again, or before any Connect, does nothing.
    smtp.Disconnect();
    TNMSMTP fresh(nullptr);
    fresh.Disconnect();
}
