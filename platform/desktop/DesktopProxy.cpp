#include "platform/desktop/DesktopProxy.h"

#include "platform/rtl/AsciiText.h"

#include "platform/desktop/GSettingsAccess.h"

#include <cstdlib>
#include <mutex>

namespace velvane {

namespace {
String TrimmedText(const String& text) { return String(TrimBlanks(text)); }
} // namespace

namespace {

std::mutex sourcesMutex;
TDesktopProxySources installed;

std::optional<String> SystemEnvironment(const String& name)
{
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return String(value);
}

TDesktopProxySources CurrentSources()
{
    std::lock_guard lock(sourcesMutex);
    TDesktopProxySources s = installed;
    if (!s.Settings) s.Settings = GSettingsGetText;
    if (!s.Environment) s.Environment = SystemEnvironment;
    return s;
}

std::optional<String> FromSettings(const TSettingsTextSource& settings)
{
    const auto mode = settings("org.gnome.system.proxy", "mode");
    if (!mode || *mode != "manual") return std::nullopt;
    const auto host = settings("org.gnome.system.proxy.http", "host");
    if (!host || TrimmedText(*host).empty()) return std::nullopt;
    // GNOME keeps 0 when no port was given: the proxy is then on http's own.
    const auto port = settings("org.gnome.system.proxy.http", "port");
    const String portText = port ? TrimmedText(*port) : String();
    return TrimmedText(*host) + ":" + (portText.empty() || portText == "0" ? String("80") : portText);
}

std::optional<String> FromEnvironment(const TEnvironmentSource& environment)
{
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        const auto value = environment(name);
        if (!value) continue;
        String hostPort = ProxyHostPort(*value);
        if (!hostPort.empty()) return hostPort;
    }
    return std::nullopt;
}

} // namespace

void SetDesktopProxySources(TDesktopProxySources sources)
{
    std::lock_guard lock(sourcesMutex);
    installed = std::move(sources);
}

String ProxyHostPort(const String& address)
{
    String rest = TrimmedText(address);
    String defaultPort = "80";
    const size_t scheme = rest.find("://");
    if (scheme != String::npos) {
        const String name = AsciiLowerCase(rest.substr(0, scheme));
        if (name == "https") defaultPort = "443";
        else if (name.rfind("socks", 0) == 0) defaultPort = "1080";
        rest.erase(0, scheme + 3);
    }
    rest = rest.substr(0, rest.find('/'));
    const size_t at = rest.rfind('@');
    if (at != String::npos) rest.erase(0, at + 1);
    if (!rest.empty() && rest.back() == ':') rest.pop_back();
    if (rest.empty()) return rest;
    // Whoever reads the value wants a port: a proxy named without one is
    // reached on its scheme's port. A bracketed IPv6 host has colons of its own.
    const size_t hostEnd = rest.front() == '[' ? rest.find(']') : 0;
    if (rest.find(':', hostEnd == String::npos ? 0 : hostEnd) == String::npos) rest += ":" + defaultPort;
    return rest;
}

std::optional<String> DesktopHttpProxy()
{
    const TDesktopProxySources sources = CurrentSources();
    if (auto fromSettings = FromSettings(sources.Settings)) return fromSettings;
    return FromEnvironment(sources.Environment);
}

} // namespace velvane
