#pragma once
// A real SMTP server for the mail tests: aiosmtpd on 127.0.0.1 (an ephemeral
// port), run as a child process for the life of the object. Every message it
// accepts is read back with Python's email package; Mails() gives what that
// parser found.

#include <memory>
#include <string>
#include <vector>

class QProcess;
class QTemporaryDir;

namespace velvane::test {

struct ReceivedMail {
    std::string mailFrom;  // the envelope's MAIL FROM and RCPT TO
    std::vector<std::string> rcptTo;
    bool overTls = false;
    // The header as the parser reads it, the date in ISO 8601 ("" when unreadable).
    std::string subject, date;
    std::vector<std::string> to;
    std::string body;  // the text part decoded, lines joined by "\n"
    struct Attachment {
        std::string fileName, bytes;
    };
    std::vector<Attachment> attachments;
    std::vector<std::string> defects;  // what the parser found wrong
    std::string raw;                   // the message as it arrived
};

class SmtpSink {
public:
    // Asked to, the server offers STARTTLS when a certificate can be made.
    explicit SmtpSink(bool offerTls = false);
    ~SmtpSink();

    int Port() const { return port_; }
    bool OffersTls() const { return tls_; }
    // Every message accepted so far, in order.
    std::vector<ReceivedMail> Mails() const;

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    bool tls_ = false;
};

} // namespace velvane::test
