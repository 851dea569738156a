#include "platform/net/IcmpClient.h"

#include "platform/win/WinError.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <strings.h>

namespace velvane {

namespace {

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kUnreachable = 3;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kTimeExceeded = 11;
constexpr int kHeaderSize = 8;
constexpr int kPayloadSize = 32;

std::atomic<std::uint16_t> nextSequence{1};
std::atomic<std::uint16_t> nextIdentifier{0};

using Clock = std::chrono::steady_clock;

std::uint16_t Read16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

std::uint16_t Checksum(const unsigned char* data, size_t length)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2) sum += Read16(data + i);
    if (length & 1) sum += static_cast<std::uint32_t>(data[length - 1]) << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

// Names under the reserved ".invalid" domain never resolve, so they are
// answered here without asking any resolver.
bool IsInvalidName(String name)
{
    if (!name.empty() && name.back() == '.') name.pop_back();
    constexpr const char* tld = "invalid";
    if (strcasecmp(name.c_str(), tld) == 0) return true;
    return name.size() > 8 && strcasecmp(name.c_str() + name.size() - 8, ".invalid") == 0;
}

bool ResolveIPv4(const String& host, in_addr& address)
{
    if (host.empty() || IsInvalidName(host)) return false;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0) close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// Opens the socket; raw tells which kind it is. -1 with errno set when
// neither kind may be opened.
int OpenSocket(TIcmpSocketKind kind, bool& raw)
{
    if (kind != TIcmpSocketKind::icmpRaw) {
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = false;
        if (fd >= 0 || kind == TIcmpSocketKind::icmpPing) return fd;
        if (errno != EACCES && errno != EPERM && errno != EPROTONOSUPPORT) return -1;
    }
    raw = true;
    return socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
}

String AddressText(const in_addr& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

DWORD SendErrorCode(int err)
{
    if (err == ENETUNREACH || err == EHOSTUNREACH) return WSAEHOSTUNREACH;
    if (err == EACCES || err == EPERM) return WSAEACCES;
    return WSAEADDRNOTAVAIL;
}

struct Waiter {
    int fd;
    bool raw;
    std::uint16_t identifier;
    std::uint16_t sequence;
    Clock::time_point sent;
    TReplyStatus& reply;

    void Finish(TReplyStatusTypes type, const in_addr& from, int bytes, int ttl)
    {
        reply.ReplyStatusType = type;
        reply.FromIpAddress = AddressText(from);
        reply.BytesReceived = bytes;
        reply.TimeToLive = ttl;
        reply.MsRoundTripTime = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
    }

    bool Take(const unsigned char* packet, int length, const in_addr& from, int ttl)
    {
        const TIcmpReply answer = ParseIcmpReply(packet, length, raw, identifier, sequence);
        switch (answer.Answer) {
        case TIcmpAnswer::None: return false;
        case TIcmpAnswer::Echo: break;
        case TIcmpAnswer::Unreachable: SetLastError(WSAEHOSTUNREACH); break;
        case TIcmpAnswer::TTLExceeded: SetLastError(WSAETIMEDOUT); break;
        }
        const TReplyStatusTypes types[] = {TReplyStatusTypes::rsError, TReplyStatusTypes::rsEcho,
                                           TReplyStatusTypes::rsErrorUnreachable,
                                           TReplyStatusTypes::rsErrorTTLExceeded};
        Finish(types[static_cast<int>(answer.Answer)], from, answer.IcmpLength, raw ? answer.TimeToLive : ttl);
        return true;
    }

    // Error reports for a ping socket arrive on its error queue.
    bool TakeError()
    {
        unsigned char data[512];
        unsigned char control[512];
        iovec io{data, sizeof data};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (n < kHeaderSize || Read16(data + 6) != sequence) return false;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR) continue;
            const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
            if (error->ee_origin != SO_EE_ORIGIN_ICMP) continue;
            const auto* offender = reinterpret_cast<const sockaddr_in*>(SO_EE_OFFENDER(error));
            const bool unreachable = error->ee_type == kUnreachable;
            if (!unreachable && error->ee_type != kTimeExceeded) continue;
            Finish(unreachable ? TReplyStatusTypes::rsErrorUnreachable : TReplyStatusTypes::rsErrorTTLExceeded,
                   offender->sin_addr, 0, 0);
            SetLastError(unreachable ? WSAEHOSTUNREACH : WSAETIMEDOUT);
            return true;
        }
        return false;
    }

    // One packet off the socket; true when it settles the reply.
    bool TakeOne()
    {
        unsigned char packet[65536];
        unsigned char control[256];
        sockaddr_in from{};
        iovec io{packet, sizeof packet};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = recvmsg(fd, &message, MSG_DONTWAIT);
        if (n < 0) return false;
        int ttl = 0;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c))
            if (c->cmsg_level == SOL_IP && c->cmsg_type == IP_TTL) std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
        return Take(packet, static_cast<int>(n), from.sin_addr, ttl);
    }

    void Wait(int timeoutMs)
    {
        const auto deadline = sent + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{fd, POLLIN, 0};
            const int ready = poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
            if (ready < 0 && errno == EINTR) continue;
            if (ready > 0) {
                if ((p.revents & POLLERR) && !raw && TakeError()) return;
                if ((p.revents & POLLIN) && TakeOne()) return;
                continue;
            }
            if (ready < 0 || Clock::now() >= deadline) break;
        }
        reply.ReplyStatusType = TReplyStatusTypes::rsTimeOut;
        SetLastError(WSAETIMEDOUT);
    }
};

} // namespace

TIcmpReply ParseIcmpReply(const unsigned char* packet, int length, bool raw, std::uint16_t identifier,
                          std::uint16_t sequence)
{
    TIcmpReply reply;
    // A ping socket gets only replies with its own identifier.
    if (!raw) {
        if (length < kHeaderSize || packet[0] != kEchoReply || Read16(packet + 6) != sequence) return reply;
        reply.Answer = TIcmpAnswer::Echo;
        reply.IcmpLength = length;
        return reply;
    }
    // Raw sockets see every ICMP message of the machine: only our echo reply,
    // or an error report quoting our request, counts.
    if (length < 20) return reply;
    const int ipHeader = (packet[0] & 0x0F) * 4;
    const unsigned char* icmp = packet + ipHeader;
    const int icmpLength = length - ipHeader;
    if (ipHeader < 20 || icmpLength < kHeaderSize) return reply;
    reply.TimeToLive = packet[8];
    reply.IcmpLength = icmpLength;
    if (icmp[0] == kEchoReply) {
        if (Read16(icmp + 4) == identifier && Read16(icmp + 6) == sequence) reply.Answer = TIcmpAnswer::Echo;
        return reply;
    }
    if (icmp[0] != kUnreachable && icmp[0] != kTimeExceeded) return reply;
    const unsigned char* quoted = icmp + kHeaderSize;
    const int quotedLength = icmpLength - kHeaderSize;
    if (quotedLength < 20) return reply;
    const int quotedHeader = (quoted[0] & 0x0F) * 4;
    if (quotedHeader < 20 || quotedLength < quotedHeader + kHeaderSize) return reply;
    const unsigned char* request = quoted + quotedHeader;
    if (request[0] != kEchoRequest || Read16(request + 4) != identifier || Read16(request + 6) != sequence)
        return reply;
    reply.Answer = icmp[0] == kUnreachable ? TIcmpAnswer::Unreachable : TIcmpAnswer::TTLExceeded;
    return reply;
}

TIdIcmpClient::TIdIcmpClient(TComponent* owner)
    : TComponent(owner),
      identifier_(static_cast<std::uint16_t>(getpid() * 31 + nextIdentifier.fetch_add(1)))
{
}

void TIdIcmpClient::Ping()
{
    reply_ = TReplyStatus();
    const std::uint16_t sequence = nextSequence.fetch_add(1);
    reply_.SequenceId = sequence;

    in_addr target{};
    if (!ResolveIPv4(Host, target)) {
        SetLastError(WSAHOST_NOT_FOUND);
        return;
    }
    bool raw = false;
    Socket socket(OpenSocket(SocketKind, raw));
    if (socket.Fd() < 0) {
        SetLastError(WSAEACCES);
        return;
    }
    const int on = 1;
    if (!raw) {
        setsockopt(socket.Fd(), SOL_IP, IP_RECVTTL, &on, sizeof on);
        setsockopt(socket.Fd(), SOL_IP, IP_RECVERR, &on, sizeof on);
    }

    unsigned char request[kHeaderSize + kPayloadSize] = {kEchoRequest, 0};
    request[4] = static_cast<unsigned char>(identifier_ >> 8);
    request[5] = static_cast<unsigned char>(identifier_);
    request[6] = static_cast<unsigned char>(sequence >> 8);
    request[7] = static_cast<unsigned char>(sequence);
    for (int i = 0; i < kPayloadSize; ++i) request[kHeaderSize + i] = static_cast<unsigned char>('a' + i % 23);
    const std::uint16_t sum = Checksum(request, sizeof request);
    request[2] = static_cast<unsigned char>(sum >> 8);
    request[3] = static_cast<unsigned char>(sum);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = target;
    Waiter waiter{socket.Fd(), raw, identifier_, sequence, Clock::now(), reply_};
    if (sendto(socket.Fd(), request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
        const DWORD code = SendErrorCode(errno);
        if (code == WSAEHOSTUNREACH) reply_.ReplyStatusType = TReplyStatusTypes::rsErrorUnreachable;
        SetLastError(code);
        return;
    }
    waiter.Wait(ReceiveTimeout);
}

} // namespace velvane
