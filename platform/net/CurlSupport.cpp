#include "platform/net/CurlSupport.h"

#include "platform/net/IdExceptions.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/win/WinError.h"

#include <sys/socket.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

namespace velvane::net {

void EnsureCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

EasyHandle NewEasy()
{
    EnsureCurl();
    EasyHandle easy(curl_easy_init());
    if (!easy) throw std::bad_alloc();
    return easy;
}

BusyScope::BusyScope(std::atomic<bool>& busy, std::atomic<bool>& cancel) : busy_(busy)
{
    if (busy_.exchange(true)) throw EIdException(ErrorText(TErrorText::ClientInUse));
    cancel.store(false);
}

namespace {

struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// Takes the easy handle out of the multi handle on every way out.
class Attached {
public:
    Attached(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy)
    {
        curl_multi_add_handle(multi_, easy_);
    }
    ~Attached() { curl_multi_remove_handle(multi_, easy_); }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

private:
    CURLM* multi_;
    CURL* easy_;
};

bool IsAnyAddress(const sockaddr* address)
{
    if (address->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        return in->sin_addr.s_addr == htonl(INADDR_ANY);
    }
    if (address->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        return std::memcmp(&in6->sin6_addr, &in6addr_any, sizeof in6addr_any) == 0;
    }
    return false;
}

curl_socket_t OpenSocket(void* clientp, curlsocktype, curl_sockaddr* address)
{
    if (IsAnyAddress(&address->addr)) {
        *static_cast<bool*>(clientp) = true;
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

} // namespace

CURLcode RunPumped(CURL* easy, const std::function<bool()>& step)
{
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi) throw std::bad_alloc();
    Attached attached(multi.get(), easy);

    for (;;) {
        int running = 0;
        const CURLMcode code = curl_multi_perform(multi.get(), &running);
        if (code != CURLM_OK) return CURLE_FAILED_INIT;
        if (running == 0) break;
        if (!step()) return CURLE_ABORTED_BY_CALLBACK;
        curl_multi_poll(multi.get(), nullptr, 0, 20, nullptr);
    }
    int queued = 0;
    CURLcode result = CURLE_FAILED_INIT;
    while (CURLMsg* msg = curl_multi_info_read(multi.get(), &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) result = msg->data.result;
    }
    // The last round may have brought the final bytes; let step() see them.
    step();
    return result;
}

void RefuseAnyAddress(CURL* easy, bool* refused)
{
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &OpenSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, refused);
}

void RaiseSocketError(DWORD number)
{
    SetLastError(number);
    throw EIdSocketError(number, ErrorText(TErrorText::SocketError, {number, SysErrorMessage(number)}));
}

DWORD SocketErrorFor(CURLcode result, long osErrno, bool refusedAnyAddress)
{
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return WSAHOST_NOT_FOUND;
    case CURLE_COULDNT_CONNECT:
        if (refusedAnyAddress) return WSAEADDRNOTAVAIL;
        switch (osErrno) {
        case EHOSTUNREACH:
        case ENETUNREACH: return WSAEHOSTUNREACH;
        case ETIMEDOUT: return WSAETIMEDOUT;
        case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
        default: return WSAECONNREFUSED;
        }
    case CURLE_OPERATION_TIMEDOUT: return WSAETIMEDOUT;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING: return WSAECONNRESET;
    default: return 0;
    }
}

} // namespace velvane::net
