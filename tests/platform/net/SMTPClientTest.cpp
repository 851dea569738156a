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

using namespace velvane;
using velvane::test::ScriptedSmtpServer;
using velvane::test::SmtpScript;
using namespace std::chrono_literals;

namespace {

class SmtpClientTest : public ::testing::Test {
protected:
    SmtpClientTest()
    {
        auto record = [this](const char* name) { return [this, name](QObject*) { events.push_back(name); }; };
        smtp.OnConnect = record("connect");
        smtp.OnConnectionFailed = record("connection failed");
        smtp.OnFailure = record("failure");
        smtp.OnInvalidHost = record("invalid host");
        smtp.OnSendStart = record("send start");
        smtp.OnSuccess = record("success");
        smtp.OnPacketSent = [this](QObject*) { progress.push_back(smtp.BytesSent()); };
        smtp.OnAttachmentNotFound = [this](QObject*, const String& f) { events.push_back("attachment " + f); };
        smtp.OnRecipientNotFound = [this](QObject*, const String& r) { events.push_back("recipient " + r); };
        smtp.Host = "127.0.0.1";
    }

    void Address()
    {
        smtp.PostMessage.FromAddress = "ana@example.com";
        smtp.PostMessage.FromName = "ana";
        smtp.PostMessage.ToAddress.Add("bia@example.org");
        smtp.PostMessage.Subject = "Imagem compartilhada pelo Velvane";
        smtp.PostMessage.Body.SetText("Olá!");
    }
    template <typename F>
    DWORD SocketError(F&& call)
    {
        try {
            call();
        } catch (const EIdSocketError& e) {
            return e.LastError;
        }
        return 0;
    }

    test::Watchdog watchdog{60s, "SMTP client test"};
    test::TempEnv env;
    TNMSMTP smtp{nullptr};
    std::vector<std::string> events;
    std::vector<std::int64_t> progress;
};

} // namespace

TEST_F(SmtpClientTest, RealServerReadsBackEveryPartAlsoOverStartTls)
{
    // Every byte value, many times over, so a lost or changed byte shows.
    std::string picture(300000, '\0');
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    const std::string path = env.Path("praia ação.jpg");
    AtomicWriteFile(path, picture);
    const std::string body = "Olá, veja — ação!\n.começa com ponto\n.\n..\n\nTipo de imagem:Computação gráfica";
    for (bool offerTls : {false, true}) {
        test::SmtpSink sink(offerTls);
        if (sink.OffersTls() != offerTls) GTEST_SKIP() << "openssl could not make a certificate";
        smtp.Port = sink.Port();
        events.clear();
        progress.clear();
        Address();
        smtp.PostMessage.Body.SetText(body);
        smtp.PostMessage.Attachments.Add(path);
        smtp.PostMessage.Date = "Thu, 29 Feb 2024 23:59:58 -0300";
        smtp.Connect();
        smtp.SendMail();
        smtp.Disconnect();
        EXPECT_FALSE(smtp.Connected());

        const auto mails = sink.Mails();
        ASSERT_EQ(mails.size(), 1u);
        const test::ReceivedMail& mail = mails[0];
        // The envelope and the header as the dialog's tests see them, here
        // also over TLS; the text with leading dots and the file's every byte.
        EXPECT_EQ(mail.overTls, offerTls);
        EXPECT_EQ(mail.rcptTo, std::vector<std::string>{"bia@example.org"});
        EXPECT_EQ(mail.to, std::vector<std::string>{"bia@example.org"});
        EXPECT_EQ(mail.date, "2024-02-29T23:59:58-03:00");
        EXPECT_EQ(mail.body, body);
        ASSERT_EQ(mail.attachments.size(), 1u);
        EXPECT_EQ(mail.attachments[0].fileName, "praia ação.jpg");
        EXPECT_TRUE(mail.attachments[0].bytes == picture) << "the attachment's bytes differ";
        EXPECT_TRUE(mail.defects.empty()) << mail.defects.front();
        EXPECT_EQ(static_cast<std::int64_t>(mail.raw.size()), smtp.BytesTotal());

        EXPECT_EQ(events, (std::vector<std::string>{"connect", "send start", "success"}));
        ASSERT_GE(progress.size(), 2u) << "a message this size goes in several pieces";
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(progress.back(), smtp.BytesTotal());
        // Recipients and attachments are cleared after sending, the text is not.
        EXPECT_EQ(smtp.PostMessage.ToAddress.Count() + smtp.PostMessage.Attachments.Count(), 0);
        EXPECT_EQ(smtp.PostMessage.Body.Count(), 6);
    }
}

TEST_F(SmtpClientTest, ServerThatNeverAnswersTimesOut)
{
    ScriptedSmtpServer server(SmtpScript().StallAt("."));
    smtp.Port = server.Port();
    smtp.ReplyTimeout = 1;
    smtp.Connect();
    Address();
    EXPECT_EQ(SocketError([&] { smtp.SendMail(); }), WSAETIMEDOUT);
    EXPECT_EQ(events.back(), "failure");
}

TEST_F(SmtpClientTest, HostsThatCannotBeUsedFailBeforeAnyLookUp)
{
    for (const char* host : {"", "smtp.exa mple.com", "smtp.example.com/x", "evil@smtp.example.com"}) {
        smtp.Host = host;
        EXPECT_EQ(SocketError([&] { smtp.Connect(); }), WSAHOST_NOT_FOUND) << host;
        EXPECT_EQ(events.back(), "invalid host");
    }
    smtp.Host = "0.0.0.0";
    EXPECT_EQ(SocketError([&] { smtp.Connect(); }), WSAEADDRNOTAVAIL);
    smtp.Host = "127.0.0.2";  // nothing listens there
    smtp.Port = test::ClosedLoopbackPort();
    EXPECT_EQ(SocketError([&] { smtp.Connect(); }), WSAECONNREFUSED);
    EXPECT_EQ(GetLastError(), WSAECONNREFUSED);
    EXPECT_EQ(events.back(), "connection failed");
}

TEST_F(SmtpClientTest, LineBreaksInAddressesOrFileNamesAndMissingFilesSendNothing)
{
    ScriptedSmtpServer server;
    smtp.Port = server.Port();
    smtp.Connect();
    const std::string missing = env.Path("sumiu.jpg");
    const std::pair<std::function<void(TNMSMTP::TPostMessage&)>, std::string> cases[] = {
        {[](auto& m) { m.ToAddress.Put(0, "bia@example.org\r\nRCPT TO:<spy@example.net>"); },
         "recipient bia@example.org\r\nRCPT TO:<spy@example.net>"},
        {[](auto& m) { m.FromAddress = "ana@example.com\nRSET"; }, "recipient ana@example.com\nRSET"},
        {[](auto& m) { m.ToAddress.Clear(); }, "recipient "},
        {[&](auto& m) { m.Attachments.Add(missing); }, "attachment " + missing},
        {[&](auto& m) { m.Attachments.Add(env.Path("a.jpg\n")); }, "attachment " + env.Path("a.jpg\n")},
    };
    for (const auto& [spoil, event] : cases) {
        events.clear();
        Address();
        spoil(smtp.PostMessage);
        EXPECT_THROW(smtp.SendMail(), Exception) << event;
        EXPECT_EQ(events, (std::vector<std::string>{"send start", event}));
        EXPECT_TRUE(smtp.Connected()) << "the session is still good";
    }
    EXPECT_FALSE(server.Received("MAIL"));
    Address();
    smtp.SendMail();
    EXPECT_EQ(server.Messages().size(), 1u);
}
