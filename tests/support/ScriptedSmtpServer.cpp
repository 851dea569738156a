#include "tests/support/ScriptedSmtpServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <thread>

namespace velvane::test {

using Clock = std::chrono::steady_clock;

namespace {

const std::map<std::string, std::string> kUsualReplies = {
    {"EHLO", "250-scripted.test\r\n250 8BITMIME"},
    {"HELO", "250 scripted.test"},
    {"MAIL", "250 OK"},
    {"RCPT", "250 OK"},
    {"DATA", "354 End data with <CR><LF>.<CR><LF>"},
    {".", "250 OK queued"},
    {"NOOP", "250 OK"},
    {"RSET", "250 OK"},
    {"QUIT", "221 Bye"},
};

std::string VerbOf(const std::string& line)
{
    std::string verb = line.substr(0, line.find(' '));
    for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return verb;
}

// Undoes the transport's doubling of leading dots.
std::string Unstuffed(const std::string& content)
{
    std::string text;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        end = end == std::string::npos ? content.size() : end + 2;
        const size_t skip = content.compare(start, 2, "..") == 0 ? 1 : 0;
        text.append(content, start + skip, end - start - skip);
        start = end;
    }
    return text;
}

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(SmtpScript script) : script_(std::move(script)) {}

ScriptedSmtpServer::~ScriptedSmtpServer() { Stop(); }

int ScriptedSmtpServer::Connections() const
{
    std::lock_guard lock(mutex_);
    return connections_;
}

std::vector<std::string> ScriptedSmtpServer::Commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

bool ScriptedSmtpServer::Received(const std::string& start) const
{
    const auto lines = Commands();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= start.size() &&
               std::equal(start.begin(), start.end(), line.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
               });
    });
}

bool ScriptedSmtpServer::GaveUp() const
{
    std::lock_guard lock(mutex_);
    return gaveUp_;
}

std::vector<std::string> ScriptedSmtpServer::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::string ScriptedSmtpServer::ReplyTo(const std::string& verb) const
{
    if (auto it = script_.replies.find(verb); it != script_.replies.end()) return it->second;
    if (auto it = kUsualReplies.find(verb); it != kUsualReplies.end()) return it->second;
    return "502 Command not implemented";
}

void ScriptedSmtpServer::Serve(int fd)
{
    {
        std::lock_guard lock(mutex_);
        ++connections_;
    }
    const auto deadline = Clock::now() + RunCap;
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
    // Answers at a point of the script: false when the connection ends there.
    auto answer = [&](const std::string& point, const std::string& reply) {
        if (script_.stallAt == point) {
            stall();
            return false;
        }
        if (script_.dropAt == point) return false;
        return SendAll(fd, reply + "\r\n");
    };
    if (script_.greeting.empty() || !answer("GREETING", script_.greeting)) {
        if (script_.greeting.empty()) stall();
        return;
    }

    std::string buffer;
    bool inData = false;
    while (!acceptor_.Stopping() && Clock::now() < deadline) {
        if (inData) {
            // The message ends with a line holding a lone dot; seen as if a
            // line end came before it, an empty message reads the same way.
            if (!buffer.empty() && script_.dropAt == "CONTENT") return;
            if (!buffer.empty() && script_.stallAt == "CONTENT") return stall();
            const std::string framed = "\r\n" + buffer;
            const auto end = framed.find("\r\n.\r\n");
            if (end != std::string::npos) {
                {
                    std::lock_guard lock(mutex_);
                    messages_.push_back(Unstuffed(framed.substr(2, end)));
                }
                buffer.erase(0, end + 3);
                inData = false;
                if (!answer(".", ReplyTo("."))) return;
                continue;
            }
        } else if (const auto eol = buffer.find("\r\n"); eol != std::string::npos) {
            const std::string line = buffer.substr(0, eol);
            buffer.erase(0, eol + 2);
            {
                std::lock_guard lock(mutex_);
                commands_.push_back(line);
            }
            const std::string verb = VerbOf(line);
            const std::string reply = ReplyTo(verb);
            if (!answer(verb, reply)) return;
            if (verb == "QUIT" && reply.rfind("221", 0) == 0) return;
            inData = verb == "DATA" && reply.rfind("354", 0) == 0;
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
