#pragma once
// The online test and the HTTP set-up for the connection type the user
// chose, shared by both programs' main windows. Everything here runs on the
// main thread; the watch threads call it through Synchronize.

#include "platform/rtl/Types.h"
#include "settings/ShareMisc.h"

#include <functional>

namespace velvane {

class TDialUp;
class TIdHTTP;
class TIdIcmpClient;
class TIdIPWatch;

// What the check works with: the window's settings and components, and the
// server's host as the settings file gave it.
struct TConnectionParts {
    TConfig& Cfg;
    TIdHTTP& HTTPc;
    TIdIcmpClient& ICMP;
    TIdIPWatch& IPWatch;
    TDialUp& DialUp;
    std::function<String()> Host;
};

class TConnectionCheck {
public:
    explicit TConnectionCheck(TConnectionParts parts) : p_(std::move(parts)) {}

    // Sets Online for the connection type and, when online, sets the HTTP
    // client up. Any error means offline. True when the connection was
    // looked at (types 1 to 4) and the check ran to its end.
    bool CheckConnection();
    // Points the HTTP client (and the echo client) for the connection type.
    void SetConnection();
    // Takes the proxy address and port from the browser's proxy setting.
    // A port that is not a number raises EConvertError.
    void ProxyIEKey();
    // The dial-up monitor's event: the connection's server address decides
    // where the HTTP client goes; of several, the last one that has a server
    // address.
    void DialUpActiveConnection(int handle);

private:
    TConnectionParts p_;
    bool serverFound_ = false;  // a dial-up server address seen in this check
};

} // namespace velvane
