#include "tests/support/LoopbackSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace velvane::test {

namespace {

// A socket listening on 127.0.0.1, an ephemeral port, with that queue length.
int ListenOnLoopback(int& port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

bool SendAll(int fd, std::string_view data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool PeerGone(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    char byte;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
}

LoopbackAcceptor::LoopbackAcceptor(std::function<void(int)> handler) : handler_(std::move(handler))
{
    listenFd_ = ListenOnLoopback(port_, 16);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackAcceptor::~LoopbackAcceptor() { Stop(); }

void LoopbackAcceptor::Stop()
{
    if (stop_.exchange(true)) return;
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(connections_);
    }
    for (auto& t : threads) t.join();
    ::close(listenFd_);
}

void LoopbackAcceptor::AcceptLoop()
{
    while (!Stopping()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] {
            handler_(fd);
            ::close(fd);
        });
    }
}

int ClosedLoopbackPort()
{
    int port = 0;
    const int fd = ListenOnLoopback(port, 1);
    ::close(fd);
    return port;
}

UnansweredPort::UnansweredPort()
{
    // A queue of one: two connections that are never accepted fill it.
    listenFd_ = ListenOnLoopback(port_, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        waiting_.push_back(fd);
    }
    // The queue counts a connection once its handshake is done.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

UnansweredPort::~UnansweredPort()
{
    for (int fd : waiting_) ::close(fd);
    ::close(listenFd_);
}

} // namespace velvane::test
