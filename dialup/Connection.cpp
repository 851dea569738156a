#include "dialup/Connection.h"

#include "dialup/DialUp.h"
#include "platform/net/HTTPClient.h"
#include "platform/net/IPWatch.h"
#include "platform/net/IcmpClient.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/Registry.h"

namespace velvane {

bool TConnectionCheck::CheckConnection()
{
    try {
        switch (p_.Cfg.cfg_ConType) {
        case 0:
            Online = false;
            return false;
        case 1:
            // Only a server address seen in this enumeration counts.
            serverFound_ = false;
            p_.DialUp.GetActiveConnections();
            Online = serverFound_;
            break;
        case 2:
        case 3:
            p_.ICMP.Host = p_.Cfg.cfg_ProxyIP;
            p_.ICMP.Ping();
            Online = p_.ICMP.ReplyStatus().FromIpAddress == p_.Cfg.cfg_ProxyIP;
            break;
        case 4:
            if (!p_.IPWatch.Active()) p_.IPWatch.SetActive(true);
            Online = p_.IPWatch.IsOnline();
            break;
        default:
            return false;  // an unknown type changes nothing
        }
        if (Online) SetConnection();
        // The set-up asks the dial-up service again: online only while the
        // client still has a server to go to.
        if (p_.Cfg.cfg_ConType == 1 && !serverFound_) Online = false;
        return true;
    } catch (const std::exception&) {
        Online = false;
        return false;
    }
}

void TConnectionCheck::SetConnection()
{
    TIdHTTP& http = p_.HTTPc;
    http.Request.Clear();
    http.Host = "0.0.0.0";
    http.Request.From = p_.Cfg.cfg_MailUser;
    if (p_.Cfg.cfg_IEProxyAuto) ProxyIEKey();
    switch (p_.Cfg.cfg_ConType) {
    case 0:
        return;
    case 1:
        serverFound_ = false;
        p_.DialUp.GetActiveConnections();
        http.RecvBufferSize = 57958;
        break;
    case 2:
    case 3:
        http.Request.ProxyPort = p_.Cfg.cfg_ProxyPort;
        http.Request.ProxyServer = p_.Cfg.cfg_ProxyIP;
        http.Request.Server = p_.Cfg.cfg_ProxyIP;
        http.Port = p_.Cfg.cfg_ProxyPort;
        http.Host = p_.Cfg.cfg_ProxyIP;
        http.RecvBufferSize = p_.Cfg.cfg_ConType == 2 ? 10485760 : 57958;
        break;
    case 4:
        http.Request.Server = p_.Host();
        http.Host = p_.Host();
        http.Port = 80;
        http.RecvBufferSize = 262144;
        break;
    default:
        break;
    }
    p_.ICMP.Host = p_.Cfg.cfg_ProxyIP;
}

void TConnectionCheck::ProxyIEKey()
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    String value;
    if (reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false))
        value = reg.ReadString("ProxyServer");
    if (value.empty()) return;
    size_t colon = value.find(':');
    String address = colon == String::npos ? String() : value.substr(0, colon);
    String port = colon == String::npos ? value : value.substr(colon + 1);
    int portNumber = StrToInt(port);
    p_.Cfg.cfg_ProxyIP = address.empty() ? "0.0.0.0" : address;
    p_.Cfg.cfg_ProxyPort = portNumber;
}

void TConnectionCheck::DialUpActiveConnection(int handle)
{
    p_.DialUp.GetConnectionIP(handle);
    TIdHTTP& http = p_.HTTPc;
    if (!p_.DialUp.ServerIP().empty()) {
        serverFound_ = true;
        http.Request.Clear();
        http.Request.Server = p_.Host();
        http.Host = p_.Host();
    } else if (!serverFound_) {
        // A connection without a server address never takes the client away
        // from one that has one: online and the client's host agree.
        http.Host = "0.0.0.0";
    }
    http.Port = 80;
}

} // namespace velvane
