#include "tests/support/LoopbackHttpServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace velvane::test {

using Clock = std::chrono::steady_clock;

namespace {

std::string PathOf(const std::string& target)
{
    const auto scheme = target.find("://");
    if (scheme == std::string::npos) return target;
    const auto slash = target.find('/', scheme + 3);
    return slash == std::string::npos ? "/" : target.substr(slash);
}

bool SameName(const std::string& line, const std::string& name)
{
    return line.size() > name.size() && line[name.size()] == ':' &&
           std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::string ReceivedRequest::Header(const std::string& name) const
{
    for (const auto& line : headers) {
        if (!SameName(line, name)) continue;
        std::string value = line.substr(name.size() + 1);
        value.erase(0, value.find_first_not_of(' '));
        return value;
    }
    return {};
}

bool ReceivedRequest::HasHeader(const std::string& name) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto& line) { return SameName(line, name); });
}

LoopbackHttpServer::LoopbackHttpServer() = default;

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

std::string LoopbackHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

void LoopbackHttpServer::Serve(const std::string& path, HttpReply reply)
{
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(reply);
}

void LoopbackHttpServer::Redirect(const std::string& path, const std::string& location, int status)
{
    HttpReply reply;
    reply.status = status;
    reply.reason = "Found";
    reply.headers = {"Location: " + location};
    reply.body = "moved";
    Serve(path, std::move(reply));
}

std::vector<ReceivedRequest> LoopbackHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::HandleConnection(int fd)
{
    ReceivedRequest request;
    if (!ReadHead(fd, request)) return;
    HttpReply reply;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        const auto route = routes_.find(PathOf(request.target));
        if (route != routes_.end()) {
            reply = route->second;
        } else {
            reply.status = 404;
            reply.reason = "Not Found";
            reply.body = "no such page";
        }
    }
    SendReply(fd, reply);
}

bool LoopbackHttpServer::ReadHead(int fd, ReceivedRequest& request)
{
    std::string head;
    const auto deadline = Clock::now() + RunCap;
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (Stopping() || Clock::now() > deadline) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return false; // a connection probe that closes at once
        head.append(buffer, static_cast<size_t>(n));
    }
    head.resize(head.find("\r\n\r\n"));
    size_t start = 0;
    std::vector<std::string> lines;
    while (start <= head.size()) {
        const auto end = std::min(head.find("\r\n", start), head.size());
        lines.push_back(head.substr(start, end - start));
        start = end + 2;
    }
    request.requestLine = lines.front();
    const auto first = request.requestLine.find(' ');
    const auto second = request.requestLine.find(' ', first + 1);
    if (first != std::string::npos && second != std::string::npos)
        request.target = request.requestLine.substr(first + 1, second - first - 1);
    request.headers.assign(lines.begin() + 1, lines.end());
    return true;
}

void LoopbackHttpServer::SendReply(int fd, const HttpReply& reply)
{
    using Kind = HttpReply::Kind;
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    for (const auto& line : reply.headers) head += line + "\r\n";
    head += "Connection: close\r\n";
    if (reply.kind == Kind::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    head += "\r\n";
    const auto deadline = Clock::now() + RunCap;
    auto waitForEnd = [&] {
        while (!Stopping() && Clock::now() < deadline && !PeerGone(fd))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    if (reply.kind == Kind::Silent) return waitForEnd();
    if (reply.kind == Kind::Raw) {
        if (SendAll(fd, reply.body)) ::shutdown(fd, SHUT_WR);
        return;
    }
    if (reply.kind == Kind::EndlessInterim) {
        while (!Stopping() && Clock::now() < deadline && !PeerGone(fd))
            if (!SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) return;
        return;
    }
    if (reply.kind == Kind::StallInHead) head.resize(head.size() - 2);  // no blank line
    if (!SendAll(fd, head)) return;

    switch (reply.kind) {
    case Kind::Whole:
        SendAll(fd, reply.body);
        break;
    case Kind::Chunked: {
        const size_t piece = 7;
        for (size_t at = 0; at < reply.body.size(); at += piece) {
            const std::string chunk = reply.body.substr(at, piece);
            char size[16];
            std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
            if (!SendAll(fd, size + chunk + "\r\n")) return;
        }
        SendAll(fd, "0\r\n\r\n");
        break;
    }
    case Kind::CutHalfway:
        SendAll(fd, reply.body.substr(0, reply.body.size() / 2));
        break;
    case Kind::Trickle:
        for (char byte : reply.body) {
            if (Stopping() || Clock::now() > deadline || PeerGone(fd)) return;
            if (!SendAll(fd, std::string(1, byte))) return;
            std::this_thread::sleep_for(TrickleEvery);
        }
        break;
    case Kind::Stall:
        if (SendAll(fd, reply.body.substr(0, reply.body.size() / 2))) waitForEnd();
        break;
    case Kind::StallInHead:
        waitForEnd();
        break;
    case Kind::Silent:
    case Kind::EndlessInterim:
    case Kind::Raw: break;  // handled above
    }
    ::shutdown(fd, SHUT_WR);
}

} // namespace velvane::test
