#pragma once
// An SMTP server on 127.0.0.1 (an ephemeral port) that answers from a script,
// for the roads a real server seldom takes: refusals, a connection cut in the
// middle of a message, a server that stops answering. It records every
// command line and message it reads, from every connection.

#include "tests/support/LoopbackSockets.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace velvane::test {

struct SmtpScript {
    // The first line the server sends; "" sends none.
    std::string greeting = "220 scripted.test ESMTP";
    // Replies by the command's verb in capitals ("EHLO", "MAIL", "RCPT",
    // "DATA", "NOOP", "QUIT" ...), and by "." for the reply to a whole
    // message. A reply of several lines holds "\r\n" between them. Verbs left
    // out get the usual positive answer; unknown ones 502.
    std::map<std::string, std::string> replies;
    // Where the server stops answering (until the client goes), or hangs up
    // instead: "GREETING", a verb, "." or "CONTENT" (once part of a message
    // has arrived). "" for neither.
    std::string stallAt;
    std::string dropAt;

    // The same script changed in one point, for building in one expression.
    SmtpScript Greeting(std::string line) const { return With(&SmtpScript::greeting, std::move(line)); }
    SmtpScript Reply(const std::string& verb, std::string reply) const
    {
        SmtpScript s = *this;
        s.replies[verb] = std::move(reply);
        return s;
    }
    SmtpScript StallAt(std::string point) const { return With(&SmtpScript::stallAt, std::move(point)); }
    SmtpScript DropAt(std::string point) const { return With(&SmtpScript::dropAt, std::move(point)); }

private:
    SmtpScript With(std::string SmtpScript::*field, std::string value) const
    {
        SmtpScript s = *this;
        s.*field = std::move(value);
        return s;
    }
};

class ScriptedSmtpServer {
public:
    static constexpr std::chrono::seconds RunCap{10};

    explicit ScriptedSmtpServer(SmtpScript script = {});
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    int Port() const { return acceptor_.Port(); }
    int Connections() const;
    // Every command line, without its line end.
    std::vector<std::string> Commands() const;
    // Whether a command line starting with the text (any case) arrived.
    bool Received(const std::string& start) const;
    // Every whole message, with leading dots undone.
    std::vector<std::string> Messages() const;
    // Whether a stall ended because RunCap passed: the client kept waiting
    // for an answer that was never coming.
    bool GaveUp() const;
    // Stops and waits for every connection to end.
    void Stop() { acceptor_.Stop(); }

private:
    void Serve(int fd);
    std::string ReplyTo(const std::string& verb) const;

    SmtpScript script_;
    mutable std::mutex mutex_;
    int connections_ = 0;
    bool gaveUp_ = false;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    LoopbackAcceptor acceptor_{[this](int fd) { Serve(fd); }};
};

} // namespace velvane::test
