#include "platform/win/InternetSettings.h"

#include "platform/desktop/DesktopProxy.h"

#include <strings.h>

namespace velvane {

namespace {

constexpr const char* kInternetSettings =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kProxyServer = "ProxyServer";

} // namespace

bool DesktopProvidesKey(const String& keyPath)
{
    return strcasecmp(keyPath.c_str(), kInternetSettings) == 0 && DesktopHttpProxy().has_value();
}

std::optional<RegistryStore::Value> DesktopProvidedValue(const String& keyPath, const String& valueName)
{
    if (strcasecmp(keyPath.c_str(), kInternetSettings) != 0 || strcasecmp(valueName.c_str(), kProxyServer) != 0)
        return std::nullopt;
    const auto proxy = DesktopHttpProxy();
    if (!proxy) return std::nullopt;
    return RegistryStore::Value{REG_SZ, *proxy, proxy->size()};
}

} // namespace velvane
