#include "platform/net/IcmpClient.h"

#include "platform/win/WinError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string_view>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

using namespace velvane;

namespace velvane {
void PrintTo(TIcmpSocketKind kind, std::ostream* out)
{
    *out << (kind == TIcmpSocketKind::icmpPing ? "ping socket" : kind == TIcmpSocketKind::icmpRaw ? "raw socket" : "auto");
}
} // namespace velvane

namespace {

bool CanOpen(TIcmpSocketKind kind)
{
    const int fd = kind == TIcmpSocketKind::icmpPing ? socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP)
                                                     : socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// CI says so (CI=true): there a run that tests no echo at all is a failure.
bool InsideCi()
{
    const char* ci = std::getenv("CI");
    return ci && *ci && std::string_view(ci) != "0" && std::string_view(ci) != "false";
}

// Each case runs over every socket kind this machine lets us open.
class IcmpClientTest : public testing::TestWithParam<TIcmpSocketKind> {
protected:
    void SetUp() override
    {
        if (GetParam() != TIcmpSocketKind::icmpAuto && !CanOpen(GetParam()))
            GTEST_SKIP() << "this socket kind is not allowed here";
        if (!CanOpen(TIcmpSocketKind::icmpPing) && !CanOpen(TIcmpSocketKind::icmpRaw)) {
            // scripts/test opens ping sockets to the run's group where it can.
            if (InsideCi()) FAIL() << "neither ping nor raw ICMP sockets are allowed here: no echo is tested";
            GTEST_SKIP() << "neither ping nor raw ICMP sockets are allowed here";
        }
        icmp.SocketKind = GetParam();
        icmp.BufferSize = 1;  // as the programs set it
    }

    TIdIcmpClient icmp{nullptr};
};

} // namespace

TEST_P(IcmpClientTest, LoopbackAnswersFromTheAddressAsked)
{
    for (const char* host : {"127.0.0.1", "127.0.0.2"}) {
        icmp.Host = host;
        icmp.Ping();
        EXPECT_EQ(icmp.ReplyStatus().ReplyStatusType, TReplyStatusTypes::rsEcho) << host;
        EXPECT_EQ(icmp.ReplyStatus().FromIpAddress, host);
        EXPECT_EQ(icmp.ReplyStatus().BytesReceived, 40);  // header and the 32 bytes sent
        EXPECT_GT(icmp.ReplyStatus().TimeToLive, 0);
    }
}

TEST_P(IcmpClientTest, RepeatedPingsMatchTheirOwnReplies)
{
    icmp.Host = "127.0.0.1";
    icmp.Ping();
    const int first = icmp.ReplyStatus().SequenceId;
    icmp.Ping();
    EXPECT_EQ(icmp.ReplyStatus().ReplyStatusType, TReplyStatusTypes::rsEcho);
    EXPECT_NE(icmp.ReplyStatus().SequenceId, first);

    // Two clients at once do not take each other's replies.
    TIdIcmpClient other(nullptr);
    other.SocketKind = GetParam();
    other.Host = "127.0.0.2";
    other.Ping();
    icmp.Ping();
    EXPECT_EQ(other.ReplyStatus().FromIpAddress, "127.0.0.2");
    EXPECT_EQ(icmp.ReplyStatus().FromIpAddress, "127.0.0.1");
}

// The programs compare the reply's source with the host text: a name never
// matches, so it counts as offline.
TEST_P(IcmpClientTest, ANameIsAnsweredFromItsAddress)
{
    icmp.Host = "localhost";
    icmp.Ping();
    EXPECT_EQ(icmp.ReplyStatus().ReplyStatusType, TReplyStatusTypes::rsEcho);
    EXPECT_EQ(icmp.ReplyStatus().FromIpAddress, "127.0.0.1");
    EXPECT_NE(icmp.ReplyStatus().FromIpAddress, icmp.Host);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IcmpClientTest,
                         testing::Values(TIcmpSocketKind::icmpAuto, TIcmpSocketKind::icmpPing,
                                         TIcmpSocketKind::icmpRaw),
                         [](const auto& info) {
                             switch (info.param) {
                             case TIcmpSocketKind::icmpPing: return "Ping";
                             case TIcmpSocketKind::icmpRaw: return "Raw";
                             default: return "Auto";
                             }
                         });

// ".invalid" names are refused before any resolver is asked, so nothing
// leaves the machine; an empty host is refused the same way.
TEST(IcmpClientFailureTest, UnresolvableHostsGiveAnErrorWithoutAddress)
{
    TIdIcmpClient icmp(nullptr);
    for (const char* host : {"nowhere.invalid", "NoWhere.Invalid.", ""}) {
        icmp.Host = host;
        SetLastError(0);
        icmp.Ping();
        EXPECT_EQ(icmp.ReplyStatus().ReplyStatusType, TReplyStatusTypes::rsError) << host;
        EXPECT_EQ(icmp.ReplyStatus().FromIpAddress, "");
        EXPECT_EQ(GetLastError(), WSAHOST_NOT_FOUND);
    }
}
