#include "platform/win/PointToPoint.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

namespace velvane {

namespace {

String Dotted(const sockaddr* address)
{
    if (!address || address->sa_family != AF_INET) return {};
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) return {};
    return text;
}

} // namespace

std::vector<PointToPointLink> PointToPointLinks(const ifaddrs* list)
{
    constexpr unsigned wanted = IFF_UP | IFF_RUNNING | IFF_POINTOPOINT;
    std::vector<PointToPointLink> links;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_name || !entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & wanted) != wanted || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        const String name = entry->ifa_name;
        if (std::any_of(links.begin(), links.end(), [&](const PointToPointLink& l) { return l.Name == name; }))
            continue;
        links.push_back({name, Dotted(entry->ifa_addr), Dotted(entry->ifa_dstaddr)});
    }
    return links;
}

std::vector<PointToPointLink> CurrentPointToPointLinks()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    auto links = PointToPointLinks(list);
    freeifaddrs(list);
    return links;
}

} // namespace velvane
