#pragma once
// TIdIcmpClient: one ICMP echo request at a time, IPv4.
//
// Ping uses a Linux ping socket and, when the system refuses those
// (ping_group_range), a raw socket, which needs privilege. Ping never raises:
// a host that cannot be resolved, no usable socket, a send that fails or no
// reply within ReceiveTimeout all end in ReplyStatus with an error or timeout
// type and an empty FromIpAddress, and leave a Winsock-style number in
// GetLastError() (11001 host not found, 10060 timed out, 10065 unreachable,
// 10013 no permission for either socket). Callers count those as offline.

#include "platform/classes/Component.h"

#include <cstdint>

namespace velvane {

enum class TReplyStatusTypes { rsEcho, rsError, rsTimeOut, rsErrorUnreachable, rsErrorTTLExceeded };

struct TReplyStatus {
    // Dotted address of whoever answered: the host for an echo, the router
    // that reported an unreachable host or an expired TTL. Empty otherwise.
    String FromIpAddress;
    // Size of the ICMP message received (header and data, no IP header).
    int BytesReceived = 0;
    int TimeToLive = 0;
    int SequenceId = 0;
    int MsRoundTripTime = 0;
    TReplyStatusTypes ReplyStatusType = TReplyStatusTypes::rsError;
};

// What one received packet says of the echo request with the identifier and
// sequence: nothing (another machine's traffic, or damage), its reply, or a
// router's report quoting it. A raw socket's packet begins with its IP header
// (whose TTL is taken); a ping socket's is the ICMP message alone. Any bytes
// are safe to give.
enum class TIcmpAnswer { None, Echo, Unreachable, TTLExceeded };
struct TIcmpReply {
    TIcmpAnswer Answer = TIcmpAnswer::None;
    int IcmpLength = 0;  // the ICMP message's size, without the IP header
    int TimeToLive = 0;  // raw packets only
};
TIcmpReply ParseIcmpReply(const unsigned char* packet, int length, bool raw, std::uint16_t identifier,
                          std::uint16_t sequence);

// Which socket Ping may use; icmpAuto tries a ping socket, then a raw one.
enum class TIcmpSocketKind { icmpAuto, icmpPing, icmpRaw };

class TIdIcmpClient : public TComponent {
public:
    explicit TIdIcmpClient(TComponent* owner);

    const char* ClassName() const override { return "TIdIcmpClient"; }

    // A name (resolved to IPv4; names under ".invalid" never are) or a dotted
    // address.
    String Host;
    // Milliseconds to wait for the reply; 0 or less takes only a reply that
    // is already there.
    int ReceiveTimeout = 1000;
    // Kept for the programs (they set 1); the reply is always read whole.
    int BufferSize = 8192;
    TIcmpSocketKind SocketKind = TIcmpSocketKind::icmpAuto;

    // Sends one echo request to Host and waits for its reply.
    void Ping();
    const TReplyStatus& ReplyStatus() const { return reply_; }

private:
    TReplyStatus reply_;
    std::uint16_t identifier_;
};

} // namespace velvane
