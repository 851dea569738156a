#pragma once
// A small HTTP server on 127.0.0.1 (an ephemeral port) for network tests.
// Each connection gets its own thread and one scripted reply, then closes.
// It records every request head it reads, also absolute-form request lines
// sent to it as a proxy ("GET http://host/path HTTP/1.1"); routes are looked
// up by the path either way. Unknown paths get 404.

#include "tests/support/LoopbackSockets.h"

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace velvane::test {

struct HttpReply {
    enum class Kind {
        Whole,      // the body at once, with Content-Length
        Chunked,    // the body in small chunks, no length
        CutHalfway, // Content-Length of the whole, half the body, then close
        Trickle,    // one byte every TrickleEvery, up to RunCap in all
        Stall,      // the head with Content-Length and half the body, then nothing until RunCap
        Silent,     // no answer at all until RunCap
        StallInHead,     // the status line and headers, then nothing until RunCap
        EndlessInterim,  // "100 Continue" replies until the client goes or RunCap
        Raw,        // the body is the whole reply, sent as it stands
    };
    int status = 200;
    std::string reason = "OK";
    std::vector<std::string> headers; // whole lines, "Name: value"
    std::string body;
    Kind kind = Kind::Whole;
};

struct ReceivedRequest {
    std::string requestLine;
    std::string target;
    std::vector<std::string> headers;
    // The value of the first header of that name (any letter case); "" if none.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

class LoopbackHttpServer {
public:
    static constexpr std::chrono::milliseconds TrickleEvery{50};
    static constexpr std::chrono::seconds RunCap{60};

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return acceptor_.Port(); }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

    void Serve(const std::string& path, HttpReply reply);
    void Redirect(const std::string& path, const std::string& location, int status = 302);

    std::vector<ReceivedRequest> Requests() const;
    // Stops accepting, ends every connection and waits for their threads.
    void Stop() { acceptor_.Stop(); }

private:
    void HandleConnection(int fd);
    bool ReadHead(int fd, ReceivedRequest& request);
    HttpReply ReplyFor(const std::string& target) const;
    void SendReply(int fd, const HttpReply& reply);
    bool Stopping() const { return acceptor_.Stopping(); }

    mutable std::mutex mutex_;
    std::unordered_map<std::string, HttpReply> routes_;
    std::vector<ReceivedRequest> requests_;
    // Last, so it stops (and its threads end) before the rest goes.
    LoopbackAcceptor acceptor_{[this](int fd) { HandleConnection(fd); }};
};

} // namespace velvane::test
