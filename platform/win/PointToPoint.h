#pragma once
// The machine's point-to-point IPv4 links, which stand in for dial-up
// connections.

#include "platform/rtl/Types.h"

#include <vector>

struct ifaddrs;

namespace velvane {

struct PointToPointLink {
    String Name;     // interface name
    String Address;  // local IPv4 address, dotted
    String Peer;     // the other end's address, "" when the link names none
};

// The links of an interface list: up, running, point-to-point, not loopback,
// with an IPv4 address; one per interface (its first such address), in list
// order.
std::vector<PointToPointLink> PointToPointLinks(const ifaddrs* list);
// The links the machine has now; none when the list cannot be read.
std::vector<PointToPointLink> CurrentPointToPointLinks();

} // namespace velvane
