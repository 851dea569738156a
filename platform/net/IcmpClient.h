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
