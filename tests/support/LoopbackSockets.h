#pragma once
// What the loopback test servers share: a listening socket on 127.0.0.1 (an
// ephemeral port), one thread per accepted connection, and a stop that ends
// them all.

#include <atomic>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace velvane::test {

// Writes all of data; false when the peer is gone.
bool SendAll(int fd, std::string_view data);
// True when the peer has closed (or reset) its side.
bool PeerGone(int fd);

class LoopbackAcceptor {
public:
    // Each connection runs handler(fd) on a thread of its own; the socket is
    // closed when the handler returns.
    explicit LoopbackAcceptor(std::function<void(int fd)> handler);
    ~LoopbackAcceptor();
    LoopbackAcceptor(const LoopbackAcceptor&) = delete;
    LoopbackAcceptor& operator=(const LoopbackAcceptor&) = delete;

    int Port() const { return port_; }
    // Handlers watch this and return soon after it turns true.
    bool Stopping() const { return stop_.load(); }
    // Stops accepting and waits for every handler to return.
    void Stop();

private:
    void AcceptLoop();

    std::function<void(int)> handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptThread_;
};

// A port on 127.0.0.1 where nothing listens (bound for a moment, then freed).
int ClosedLoopbackPort();

// A port on 127.0.0.1 whose queue of waiting connections is full, so the
// system drops every further attempt: connecting there hangs until the
// caller gives up.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    int Port() const { return port_; }

private:
    int listenFd_ = -1;
    int port_ = 0;
    std::vector<int> waiting_;
};

} // namespace velvane::test
