#pragma once
// TIdHTTP: the programs' HTTP client, over libcurl.
//
// Get blocks its caller but keeps the program alive: while it waits it calls
// PumpEvents about every 20 ms, and every event fires on the calling thread.
// Disconnect, from an event handler, from something PumpEvents runs or from
// another thread, stops a running Get or Connect, which then raises
// EIdConnClosedGracefully.
//
// Errors: a final reply of 300 or above raises EIdHTTPProtocolException (the
// body received stays in the destination); a redirect is final when it is not
// followed or names no target. A reply that breaks the protocol (a malformed
// status line or chunk, a head larger than MaxHeaderBytes, more than
// MaxInterimReplies interim replies) raises EIdProtocolReplyError saying so.
// A transport failure raises EIdSocketError with a Winsock-style number, also
// left in GetLastError(): 10049 unspecified address (0.0.0.0), 10054
// connection dropped, 10060 timed out, 10061 refused, 10065 unreachable,
// 11001 host not found. Anything else (a malformed address, an unsupported
// scheme) raises EIdException. Errors from the destination stream or from a
// handler pass through unchanged.
//
// The client must not be freed from inside its own Get.

#include "platform/classes/Component.h"
#include "platform/net/IdExceptions.h"
#include "platform/rtl/Streams.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class QObject;

namespace velvane {

enum class TWorkMode { wmRead, wmWrite };
enum class TIdStatus { hsResolving, hsConnecting, hsConnected, hsDisconnecting, hsDisconnected, hsStatusText };

// Handlers get EventSender of the client as their sender (nullptr unless set).
using TWorkBeginEvent = std::function<void(QObject* sender, TWorkMode mode, std::int64_t countMax)>;
using TWorkEvent = std::function<void(QObject* sender, TWorkMode mode, std::int64_t count)>;
using TWorkEndEvent = std::function<void(QObject* sender, TWorkMode mode)>;
using TIdStatusEvent = std::function<void(QObject* sender, TIdStatus status, const String& text)>;
using TIdNotifyEvent = std::function<void(QObject* sender)>;

class TIdHTTP : public TComponent {
public:
    explicit TIdHTTP(TComponent* owner);
    ~TIdHTTP() override;

    const char* ClassName() const override { return "TIdHTTP"; }

    // Where Connect probes (the proxy instead when Request.ProxyServer is
    // set). Get goes wherever its address says.
    String Host = "0.0.0.0";
    int Port = 80;
    bool HandleRedirects = false;
    int RedirectMaximum = 15;
    // Bytes; the receive size is clamped to what libcurl accepts, 0 leaves
    // libcurl's own. The send size is kept but a GET has nothing to send.
    int RecvBufferSize = 32768;
    // The largest reply body taken, in bytes (0: no limit); a larger one
    // fails the Get instead of filling memory.
    std::int64_t MaxContentLength = std::int64_t{64} << 20;
    int SendBufferSize = 32768;
    // Milliseconds, 0 for none; either ends the transfer with EIdSocketError
    // 10060. ConnectTimeout bounds all that comes before the request: name
    // lookup, connection, TLS handshake and proxy tunnel. Once the request is
    // out, ReadTimeout ends a reply that brings no byte for that long, or
    // fewer than TrickleBytes in a whole ReadTimeout.
    int ReadTimeout = 30000;
    int ConnectTimeout = 15000;
    // Milliseconds a whole Get may take from its start, whatever its pace,
    // 0 for no bound; past it the Get ends with EIdSocketError 10060 too.
    int TransferTimeout = 0;
    static constexpr std::int64_t TrickleBytes = 1024;
    // Bounds on a reply's head: the header lines of one reply, and the
    // interim ("100 Continue") replies before the final one.
    static constexpr std::int64_t MaxHeaderBytes = 64 * 1024;
    static constexpr int MaxInterimReplies = 20;

    struct TRequest {
        String Accept, AcceptCharset, ContentType, UserAgent, From, Connection, Referer, ProxyServer;
        int ProxyPort = 0; // 0 means 80
        // Kept for the programs; the Host line comes from the address.
        String Server;
        String ProxyUsername, ProxyPassword;
        // Whole header lines, "Name: value".
        std::vector<String> CustomHeaders;

        TRequest() { Clear(); }
        // Back to the client's own defaults.
        void Clear();
    } Request;

    // Of the last reply whose status line arrived; -1 and "" before any.
    int ResponseCode() const { return responseCode_; }
    // The whole status line, "HTTP/1.1 404 Not Found".
    const String& ResponseText() const { return responseText_; }
    // The header lines of the last reply, without line ends.
    const std::vector<String>& ResponseHeaders() const { return responseHeaders_; }
    // The value of the named header (any letter case), "" when absent.
    String ResponseHeader(const String& name) const;
    // The announced body length of the last reply, -1 when unknown.
    std::int64_t ContentLength = -1;

    // True from a successful Connect, throughout a Get and after a Get that
    // succeeded, until Disconnect or a failure.
    bool Connected() const { return connected_ || busy_; }
    // Opens a connection to Host:Port (or to the proxy) to see that it can be
    // reached; EIdSocketError when it cannot, EIdAlreadyConnected when
    // connected already.
    void Connect();
    // Closes; a running Get or Connect stops and raises EIdConnClosedGracefully.
    // Its hsDisconnected status fires on the thread that calls it.
    void Disconnect();

    // Fetches url (http:// put in front when it names no scheme) into dest.
    void Get(const String& url, TStream& dest);

    QObject* EventSender = nullptr;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;
    TIdStatusEvent OnStatus;
    TIdNotifyEvent OnConnected;

    // Called while Connect and Get wait; by default runs the application's
    // pending messages when there is an application object.
    static std::function<void()> PumpEvents;

private:
    class Transfer;

    void Status(TIdStatus status, const String& text);
    void Pump();

    int responseCode_ = -1;
    String responseText_;
    std::vector<String> responseHeaders_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancel_{false};
};

} // namespace velvane
