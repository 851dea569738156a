#include "tests/support/ScriptedSmtpServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <thread>

namespace velvane::test {

using Clock = std::chrono::steady_clock;

namespace {

const std::map<std::string, std::string> kUsualReplies = {
    {"EHLO", "250-scripted.test\r\n250 8BITMIME"}, {"HELO", "250 scripted.test"},
    {"MAIL", "250 OK"}, {"RCPT", "250 OK"}, {"DATA", "354 End data with <CR><LF>.<CR><LF>"},
    {".", "250 OK queued"}, {"NOOP", "250 OK"}, {"RSET", "250 OK"}, {"QUIT", "221 Bye"},
};

// Undoes the transport's doubling of leading dots.
std::string Unstuffed(const std::string& content)
{
    std::string text;
    for (size_t start = 0, end; start < content.size(); start = end) {
        end = std::min(content.find("\r\n", start), content.size() - 2) + 2;
        const size_t skip = content.compare(start, 2, "..") == 0 ? 1 : 0;
        text.append(content, start + skip, end - start - skip);
    }
    return text;
}

} // namespace

bool ScriptedSmtpServer::Received(const std::string& start) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(commands_.begin(), commands_.end(), [&](const std::string& line) { return line.starts_with(start); });
}

void ScriptedSmtpServer::Serve(int fd)
{
    const auto deadline = Clock::now() + RunCap;
    {
        std::lock_guard lock(mutex_);
        ++connections_;
    }
    auto stall = [&] {
        while (!acceptor_.Stopping() && !PeerGone(fd)) {
            if (Clock::now() > deadline) {
                std::lock_guard lock(mutex_);
                gaveUp_ = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    // Answers at a point of the script; false when the connection ends there.
    auto answer = [&](const std::string& point) {
        if (script_.stallAt == point) stall();
        if (script_.stallAt == point || script_.dropAt == point) return false;
        const auto own = script_.replies.find(point);
        const auto usual = kUsualReplies.find(point);
        const std::string reply = own != script_.replies.end() ? own->second
                                  : usual != kUsualReplies.end() ? usual->second
                                                                 : "502 Command not implemented";
        return SendAll(fd, reply + "\r\n") && !(point == "QUIT" && reply.starts_with("221"));
    };
    if (script_.greeting.empty()) return stall();
    if (!SendAll(fd, script_.greeting + "\r\n")) return;

    std::string buffer;
    bool inData = false;
    while (!acceptor_.Stopping() && Clock::now() < deadline) {
        if (inData && !buffer.empty()) {
            if (script_.dropAt == "CONTENT") return;
            if (script_.stallAt == "CONTENT") return stall();
            // The message ends with a lone dot on a line; read as if a line
            // end came first, an empty message ends the same way.
            const std::string framed = "\r\n" + buffer;
            if (const auto end = framed.find("\r\n.\r\n"); end != std::string::npos) {
                {
                    std::lock_guard lock(mutex_);
                    messages_.push_back(Unstuffed(framed.substr(2, end)));
                }
                buffer.erase(0, end + 3);
                inData = false;
                if (!answer(".")) return;
                continue;
            }
        } else if (const auto eol = buffer.find("\r\n"); !inData && eol != std::string::npos) {
            const std::string line = buffer.substr(0, eol);
            buffer.erase(0, eol + 2);
            {
                std::lock_guard lock(mutex_);
                commands_.push_back(line);
            }
            std::string verb = line.substr(0, line.find(' '));
            std::transform(verb.begin(), verb.end(), verb.begin(), ::toupper);
            if (!answer(verb)) return;
            const auto own = script_.replies.find("DATA");
            inData = verb == "DATA" && (own == script_.replies.end() || own->second.starts_with("354"));
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        buffer.append(chunk, static_cast<size_t>(n));
    }
}

} // namespace velvane::test
