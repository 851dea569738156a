// Packets of any bytes off an ICMP socket, raw (with an IP header) or a ping
// socket's: only a reply or a report that names our request counts, and
// nothing is read outside the packet.

#include "platform/net/IcmpClient.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <vector>

using namespace velvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5) return 0;
    const bool raw = data[0] & 1;
    const auto identifier = static_cast<std::uint16_t>(data[1] << 8 | data[2]);
    const auto sequence = static_cast<std::uint16_t>(data[3] << 8 | data[4]);
    // Exactly the packet's bytes, so that a read past them is caught.
    const std::vector<unsigned char> packet(data + 5, data + size);
    const int length = static_cast<int>(packet.size());
    const TIcmpReply reply = ParseIcmpReply(packet.data(), length, raw, identifier, sequence);
    if (reply.Answer == TIcmpAnswer::None) return 0;
    FUZZ_CHECK(reply.IcmpLength >= 8 && reply.IcmpLength <= length);
    if (!raw) FUZZ_CHECK(reply.Answer == TIcmpAnswer::Echo && packet[0] == 0);
    if (raw) FUZZ_CHECK(reply.TimeToLive == packet[8]);
    return 0;
}
