#include "platform/net/HTTPClient.h"

#include "platform/forms/Application.h"
#include "platform/net/CurlSupport.h"
#include "platform/net/HeaderLines.h"
#include "platform/rtl/AsciiText.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/TickClock.h"
#include "platform/win/WinError.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>

namespace velvane {

using net::BusyScope;
using net::EasyHandle;
using net::HeaderList;
using net::RaiseSocketError;

std::function<void()> TIdHTTP::PumpEvents = [] {
    if (Application) Application->ProcessMessages();
};

void TIdHTTP::TRequest::Clear()
{
    Accept = "text/html, */*";
    UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
    AcceptCharset.clear();
    ContentType.clear();
    From.clear();
    Connection.clear();
    Referer.clear();
    ProxyServer.clear();
    ProxyPort = 0;
    Server.clear();
    ProxyUsername.clear();
    ProxyPassword.clear();
    CustomHeaders.clear();
}

namespace {

String Authority(const String& host, int port)
{
    // A numeric IPv6 address needs brackets in an address.
    const bool v6 = host.find(':') != String::npos && host.front() != '[';
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

String WithScheme(const String& url)
{
    return url.find("://") == String::npos ? "http://" + url : url;
}

String CurlText(CURLcode result, const char* detail)
{
    return *detail ? String(detail) : String(curl_easy_strerror(result));
}

// Raises for a failed transfer that was neither cancelled nor timed out by us.
[[noreturn]] void RaiseCurlFailure(CURL* easy, CURLcode result, bool refusedAnyAddress,
                                   const char* detail)
{
    long osErrno = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
    if (const DWORD number = net::SocketErrorFor(result, osErrno, refusedAnyAddress))
        RaiseSocketError(number);
    throw EIdException(CurlText(result, detail));
}

HeaderList RequestHeaders(const TIdHTTP::TRequest& r)
{
    HeaderList list;
    auto add = [&list](const String& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            (void)list.release();
            list.reset(grown);
        } else {
            throw std::bad_alloc();
        }
    };
    auto field = [&add](const char* name, const String& value) {
        const String clean = net::StripLineBreaks(value);
        if (!clean.empty()) add(String(name) + ": " + clean);
    };
    // "Name:" alone keeps libcurl from sending its own value.
    if (net::StripLineBreaks(r.Accept).empty()) add("Accept:");
    field("Accept", r.Accept);
    field("Accept-Charset", r.AcceptCharset);
    field("Content-Type", r.ContentType);
    field("User-Agent", r.UserAgent);
    field("From", r.From);
    field("Connection", r.Connection);
    field("Referer", r.Referer);
    for (const String& line : r.CustomHeaders) {
        const String clean = net::StripLineBreaks(line);
        if (!clean.empty()) add(clean);
    }
    return list;
}

} // namespace

// The state of one Get, reached from libcurl's callbacks. The callbacks only
// record; handlers run from Step, outside libcurl.
class TIdHTTP::Transfer {
public:
    Transfer(TIdHTTP& client, TStream& dest) : client_(client), dest_(dest), easy_(net::NewEasy())
    {
        errorText_[0] = '\0';
    }

    void SetUp(const String& url)
    {
        CURL* e = easy_.get();
        const TRequest& r = client_.Request;
        curl_easy_setopt(e, CURLOPT_URL, url.c_str());
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText_);
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, client_.HandleRedirects ? 1L : 0L);
        if (client_.MaxContentLength > 0)
            curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(client_.MaxContentLength));
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(std::max(0, client_.RedirectMaximum)));
        // libcurl's connection phase takes in the TLS handshake and a proxy
        // tunnel; without a value of ours it would wait 300 s.
        if (client_.ConnectTimeout > 0)
            curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(client_.ConnectTimeout));
        if (client_.RecvBufferSize > 0)
            curl_easy_setopt(e, CURLOPT_BUFFERSIZE,
                             static_cast<long>(std::clamp(client_.RecvBufferSize, 1024, CURL_MAX_READ_SIZE)));

        // An empty proxy also keeps libcurl from taking one from the environment.
        proxy_ = r.ProxyServer.empty() ? String()
                                       : "http://" + Authority(r.ProxyServer, r.ProxyPort > 0 ? r.ProxyPort : 80);
        curl_easy_setopt(e, CURLOPT_PROXY, proxy_.c_str());
        if (!r.ProxyServer.empty() && !r.ProxyUsername.empty()) {
            curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, r.ProxyUsername.c_str());
            curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, r.ProxyPassword.c_str());
        }

        headers_ = RequestHeaders(r);
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers_.get());

        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &Transfer::OnConnectionReady);
        curl_easy_setopt(e, CURLOPT_PREREQDATA, this);
        net::RefuseAnyAddress(e, &refusedAnyAddress_);
    }

    void Run()
    {
        start_ = lastActivity_ = windowStart_ = TickClock().Now();
        try {
            const CURLcode result = net::RunPumped(easy_.get(), [this] { return Step(); });
            Finish(result);
        } catch (...) {
            EndWork();
            throw;
        }
    }

private:
    static int OnConnectionReady(void* self, char*, char*, int, int)
    {
        static_cast<Transfer*>(self)->connectionReady_ = true;
        return CURL_PREREQFUNC_OK;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self)
    {
        auto* t = static_cast<Transfer*>(self);
        const size_t length = size * count;
        t->lastActivity_ = TickClock().Now();
        t->progress_ += static_cast<std::int64_t>(length);
        // Nothing may unwind through libcurl's frames.
        try {
            t->TakeHeaderLine(String(data, length));
        } catch (...) {
            t->writeError_ = std::current_exception();
            return 0;
        }
        return length;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self)
    {
        auto* t = static_cast<Transfer*>(self);
        const size_t length = size * count;
        t->lastActivity_ = TickClock().Now();
        t->progress_ += static_cast<std::int64_t>(length);
        // A body without a declared length is held to the limit as it comes.
        const std::int64_t limit = t->client_.MaxContentLength;
        if (limit > 0 && t->received_ + static_cast<std::int64_t>(length) > limit) {
            t->writeError_ = std::make_exception_ptr(
                EIdException(ErrorText(TErrorText::ReplyTooLarge, {limit})));
            return CURL_WRITEFUNC_ERROR;
        }
        try {
            t->dest_.WriteBuffer(data, static_cast<std::int64_t>(length));
        } catch (...) {
            t->writeError_ = std::current_exception();
            return CURL_WRITEFUNC_ERROR;
        }
        t->received_ += static_cast<std::int64_t>(length);
        return length;
    }

    void TakeHeaderLine(String line)
    {
        const auto length = static_cast<std::int64_t>(line.size());
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const bool statusLine = line.rfind("HTTP/", 0) == 0;
        if (statusLine) {
            // A new reply: after an interim one or a redirect being followed.
            client_.responseText_ = line;
            client_.responseCode_ = net::StatusCodeOf(line);
            client_.responseHeaders_.clear();
            statusSeen_ = true;
            finalHeaders_ = false;
            headBytes_ = 0;
            if (client_.responseCode_ / 100 == 1 && ++interimReplies_ > MaxInterimReplies)
                throw EIdProtocolReplyError(ErrorText(TErrorText::TooManyInterimReplies, {MaxInterimReplies}));
        }
        headBytes_ += length;
        if (headBytes_ > MaxHeaderBytes) throw EIdProtocolReplyError(HeadTooLarge());
        if (statusLine) return;
        if (line.empty())
            finalHeaders_ = IsFinal();
        else
            client_.responseHeaders_.push_back(std::move(line));
    }

    // Whether the reply whose headers just ended is the one whose body we keep.
    bool IsFinal() const
    {
        const int code = client_.responseCode_;
        if (code / 100 == 1) return false;
        const bool redirect = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
        return !(redirect && client_.HandleRedirects && !client_.ResponseHeader("Location").empty());
    }

    // Runs between rounds of work: the events, the pump, cancel and time-outs.
    bool Step()
    {
        if (!connected_ && connectionReady_) {
            connected_ = true;
            lastActivity_ = windowStart_ = TickClock().Now();
            windowProgress_ = progress_;
            client_.Status(TIdStatus::hsConnected, "Connected.");
            if (client_.OnConnected) client_.OnConnected(client_.EventSender);
        }
        if ((finalHeaders_ || received_ > 0) && !begun_) BeginWork();
        if (begun_ && received_ > reported_) {
            reported_ = received_;
            if (client_.OnWork) client_.OnWork(client_.EventSender, TWorkMode::wmRead, reported_);
        }
        if (client_.cancel_) return false;
        if (OutOfTime() || (connected_ && ReadTimedOut())) {
            timedOut_ = true;
            return false;
        }
        client_.Pump();
        return !client_.cancel_;
    }

    // A transfer past its overall bound, however steadily it goes.
    bool OutOfTime() const
    {
        return client_.TransferTimeout > 0 &&
               TickClock().Now() - start_ > std::chrono::milliseconds(client_.TransferTimeout);
    }

    // A reply that stalls, or that trickles in too slowly ever to end.
    bool ReadTimedOut()
    {
        if (client_.ReadTimeout <= 0) return false;
        const auto limit = std::chrono::milliseconds(client_.ReadTimeout);
        const auto now = TickClock().Now();
        if (now - lastActivity_ > limit) return true;
        if (now - windowStart_ < limit) return false;
        if (progress_ - windowProgress_ < TrickleBytes) return true;
        windowStart_ = now;
        windowProgress_ = progress_;
        return false;
    }

    String HeadTooLarge() const
    {
        return ErrorText(TErrorText::ReplyHeadTooLarge, {MaxHeaderBytes});
    }

    // The text of a failure that is the reply's fault rather than the
    // connection's, or "" when it is not one.
    String ProtocolFault(CURLcode result) const
    {
        long osErrno = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_OS_ERRNO, &osErrno);
        const char* scheme = nullptr;
        curl_easy_getinfo(easy_.get(), CURLINFO_SCHEME, &scheme);
        const bool tls = scheme && SameTextAscii(scheme, "https");
        switch (result) {
        // libcurl's own bound on one header line.
        case CURLE_OUT_OF_MEMORY: return !finalHeaders_ && received_ == 0 ? HeadTooLarge() : String();
        case CURLE_WEIRD_SERVER_REPLY: break;
        // A bad status line or an HTTP/0.9 reply, once something answered.
        case CURLE_UNSUPPORTED_PROTOCOL:
            if (!connectionReady_) return {};
            break;
        // Without a system error it is the reply (a chunk size, too many
        // header lines), unless it came through TLS, which reports a
        // dropped connection the same way.
        case CURLE_RECV_ERROR:
            if (osErrno != 0 || tls) return {};
            break;
        default: return {};
        }
        return ErrorText(TErrorText::MalformedReply, {CurlText(result, errorText_)});
    }

    void BeginWork()
    {
        begun_ = true;
        client_.ContentLength = net::ContentLengthOf(client_.responseHeaders_);
        if (client_.OnWorkBegin)
            client_.OnWorkBegin(client_.EventSender, TWorkMode::wmRead, std::max<std::int64_t>(0, client_.ContentLength));
    }

    // Fires the end of the work once, and only after its begin.
    void EndWork()
    {
        if (!begun_ || ended_) return;
        ended_ = true;
        if (client_.OnWorkEnd) client_.OnWorkEnd(client_.EventSender, TWorkMode::wmRead);
    }

    void Finish(CURLcode result)
    {
        if (statusSeen_ && !begun_) BeginWork();
        EndWork();
        if (writeError_) std::rethrow_exception(writeError_);
        if (result == CURLE_ABORTED_BY_CALLBACK) {
            if (timedOut_) RaiseSocketError(WSAETIMEDOUT);
            throw EIdConnClosedGracefully(ErrorText(TErrorText::ConnectionClosed));
        }
        if (result == CURLE_OK && client_.responseCode_ < 100)
            throw EIdProtocolReplyError(ErrorText(TErrorText::MalformedStatusLine, {client_.responseText_}));
        // A redirect that was not followed is no more the page asked for
        // than an error reply is.
        if (result == CURLE_TOO_MANY_REDIRECTS || (result == CURLE_OK && client_.responseCode_ >= 300))
            throw EIdHTTPProtocolException(client_.responseCode_, client_.responseText_);
        if (result == CURLE_OK) return;
        if (const String fault = ProtocolFault(result); !fault.empty()) throw EIdProtocolReplyError(fault);
        RaiseCurlFailure(easy_.get(), result, refusedAnyAddress_, errorText_);
    }

    TIdHTTP& client_;
    TStream& dest_;
    EasyHandle easy_;
    HeaderList headers_;
    String proxy_;
    char errorText_[CURL_ERROR_SIZE];
    std::exception_ptr writeError_;
    std::int64_t received_ = 0;
    std::int64_t reported_ = 0;
    std::int64_t progress_ = 0;  // bytes of heads and bodies alike
    std::int64_t windowProgress_ = 0;
    std::int64_t headBytes_ = 0;
    int interimReplies_ = 0;
    TTickClock::time_point start_;
    TTickClock::time_point lastActivity_;
    TTickClock::time_point windowStart_;
    bool refusedAnyAddress_ = false;
    bool statusSeen_ = false;
    bool finalHeaders_ = false;
    bool connectionReady_ = false;
    bool connected_ = false;
    bool begun_ = false;
    bool ended_ = false;
    bool timedOut_ = false;
};

TIdHTTP::TIdHTTP(TComponent* owner) : TComponent(owner) {}

TIdHTTP::~TIdHTTP() = default;

String TIdHTTP::ResponseHeader(const String& name) const
{
    return net::HeaderValue(responseHeaders_, name);
}

void TIdHTTP::Status(TIdStatus status, const String& text)
{
    if (OnStatus) OnStatus(EventSender, status, text);
}

void TIdHTTP::Pump()
{
    if (PumpEvents) PumpEvents();
}

void TIdHTTP::Connect()
{
    if (Connected()) throw EIdAlreadyConnected(ErrorText(TErrorText::AlreadyConnected));
    BusyScope busy(busy_, cancel_);
    const bool viaProxy = !Request.ProxyServer.empty();
    const String target = viaProxy ? Authority(Request.ProxyServer, Request.ProxyPort > 0 ? Request.ProxyPort : 80)
                                   : Authority(Host, Port);

    EasyHandle easy = net::NewEasy();
    char errorText[CURL_ERROR_SIZE] = "";
    bool refusedAnyAddress = false;
    const String url = "http://" + target + "/";
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_PROXY, "");
    curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, errorText);
    if (ConnectTimeout > 0)
        curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectTimeout));
    net::RefuseAnyAddress(easy.get(), &refusedAnyAddress);

    Status(TIdStatus::hsConnecting, "Connecting to " + target + ".");
    const CURLcode result = net::RunPumped(easy.get(), [this] {
        if (cancel_) return false;
        Pump();
        return !cancel_.load();
    });
    if (result == CURLE_ABORTED_BY_CALLBACK) throw EIdConnClosedGracefully(ErrorText(TErrorText::ConnectionClosed));
    if (result != CURLE_OK) RaiseCurlFailure(easy.get(), result, refusedAnyAddress, errorText);
    connected_ = true;
    Status(TIdStatus::hsConnected, "Connected.");
    if (OnConnected) OnConnected(EventSender);
}

void TIdHTTP::Disconnect()
{
    const bool was = Connected();
    cancel_ = true;
    connected_ = false;
    if (was) Status(TIdStatus::hsDisconnected, "Disconnected.");
}

void TIdHTTP::Get(const String& url, TStream& dest)
{
    BusyScope busy(busy_, cancel_);
    connected_ = false;
    responseCode_ = -1;
    responseText_.clear();
    responseHeaders_.clear();
    ContentLength = -1;

    Transfer transfer(*this, dest);
    transfer.SetUp(WithScheme(url));
    Status(TIdStatus::hsConnecting, "Connecting.");
    transfer.Run();
    connected_ = true;
}

} // namespace velvane
