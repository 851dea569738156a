#pragma once
// An SMTP server on 127.0.0.1 (an ephemeral port) that answers from a script,
// for the roads a real server seldom takes: refusals, a connection cut in the
// middle of a message, a server that stops answering. It records the command
// lines and messages of every connection.

#include "tests/support/LoopbackSockets.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace velvane::test {

struct SmtpScript {
    // The first line the server sends; "" sends none and waits.
    std::string greeting = "220 scripted.test ESMTP";
    // Replies by the command's verb ("EHLO", "RCPT" ...) and by "." for the
    // one to a whole message. Verbs left out get the usual positive answer,
    // unknown ones 502.
    std::map<std::string, std::string> replies;
    // Where the server stops answering (until the client goes) or hangs up:
    // a verb, "." or "CONTENT" (once part of a message has come).
    std::string stallAt, dropAt;

    // The script changed in one point, for writing a script in one expression.
    SmtpScript Greeting(std::string v) const { auto s = *this; s.greeting = std::move(v); return s; }
    SmtpScript StallAt(std::string v) const { auto s = *this; s.stallAt = std::move(v); return s; }
    SmtpScript DropAt(std::string v) const { auto s = *this; s.dropAt = std::move(v); return s; }
    SmtpScript Reply(const std::string& verb, std::string v) const { auto s = *this; s.replies[verb] = std::move(v); return s; }
};

class ScriptedSmtpServer {
public:
    static constexpr std::chrono::seconds RunCap{10};

    explicit ScriptedSmtpServer(SmtpScript script = {}) : script_(std::move(script)) {}
    ~ScriptedSmtpServer() { Stop(); }

    int Port() const { return acceptor_.Port(); }
    int Connections() const { return Locked(connections_); }
    // Whether a command line starting with the text arrived.
    bool Received(const std::string& start) const;
    // Every whole message, with the transport's doubled leading dots undone.
    std::vector<std::string> Messages() const { return Locked(messages_); }
    // Whether a stall ended because RunCap passed, that is, the client kept
    // waiting for an answer that was never coming.
    bool GaveUp() const { return Locked(gaveUp_); }
    // Stops and waits for every connection to end.
    void Stop() { acceptor_.Stop(); }

private:
    void Serve(int fd);
    template <typename T>
    T Locked(const T& value) const
    {
        std::lock_guard lock(mutex_);
        return value;
    }

    SmtpScript script_;
    mutable std::mutex mutex_;
    int connections_ = 0;
    bool gaveUp_ = false;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    // Last, so it stops before the rest goes.
    LoopbackAcceptor acceptor_{[this](int fd) { Serve(fd); }};
};

} // namespace velvane::test
