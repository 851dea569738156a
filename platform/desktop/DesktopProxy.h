#pragma once
// The desktop's HTTP proxy, which the registry calls offer as the browser's
// "ProxyServer" value (InternetSettings.h): GSettings org.gnome.system.proxy
// in manual mode, else http_proxy or HTTP_PROXY, as "host:port" (the scheme's
// default port when none is given).

#include "platform/rtl/Types.h"

#include <functional>
#include <optional>

namespace velvane {

// A GSettings key as text (integers in decimal); nothing when missing.
using TSettingsTextSource = std::function<std::optional<String>(const String& schema, const String& key)>;
// An environment variable; nothing when unset.
using TEnvironmentSource = std::function<std::optional<String>(const String& name)>;

struct TDesktopProxySources {
    TSettingsTextSource Settings;
    TEnvironmentSource Environment;
};

// Replaces the sources (for tests); an empty member goes back to the
// system's own (GIO, getenv).
void SetDesktopProxySources(TDesktopProxySources sources);

std::optional<String> DesktopHttpProxy();
// host:port out of a proxy address such as "http://user:pw@host:3128/"; with
// no port given, the scheme's (80 for http or no scheme, 443 for https).
String ProxyHostPort(const String& address);

} // namespace velvane
