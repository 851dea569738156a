#pragma once
// What the network clients share over libcurl: the one global set-up, handle
// owners, the pumped transfer loop and the error numbers the programs know.

#include "platform/win/WinTypes.h"

#include <curl/curl.h>

#include <atomic>
#include <functional>
#include <memory>

namespace velvane::net {

// curl_global_init, once per process.
void EnsureCurl();

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

EasyHandle NewEasy();

// Marks a client busy for one call and forgets a stale cancel request; a
// second call while one runs raises EIdException.
class BusyScope {
public:
    BusyScope(std::atomic<bool>& busy, std::atomic<bool>& cancel);
    ~BusyScope() { busy_.store(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<bool>& busy_;
};

// Runs one transfer on the calling thread. step() is called after each round
// of work (about every 20 ms while waiting, and once at the end) and returns
// false to stop the transfer early, in which case the result is
// CURLE_ABORTED_BY_CALLBACK. Exceptions from step() leave the transfer
// stopped and cleaned up.
CURLcode RunPumped(CURL* easy, const std::function<bool()>& step);

// Refuses connections to the unspecified address (0.0.0.0, ::), which Linux
// would quietly take for this machine; *refused is set when that happened.
void RefuseAnyAddress(CURL* easy, bool* refused);

// The Winsock-style number for a transport failure, or 0 when result is not
// one. osErrno is CURLINFO_OS_ERRNO of the failed transfer.
DWORD SocketErrorFor(CURLcode result, long osErrno, bool refusedAnyAddress);
// Raises EIdSocketError with that number, also left in GetLastError().
[[noreturn]] void RaiseSocketError(DWORD number);

} // namespace velvane::net
