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
    // The envelope: MAIL FROM and RCPT TO.
    std::string mailFrom;
    std::vector<std::string> rcptTo;
    bool overTls = false;
    // The header as the parser reads it; the date in ISO 8601 ("" when the
    // parser found none it could read).
    std::string fromName, subject, date;
    std::vector<std::string> to;
    // The text part decoded, lines joined by "\n".
    std::string body;
    struct Attachment {
        std::string fileName, bytes;
    };
    std::vector<Attachment> attachments;
    // What the parser found wrong with the message.
    std::vector<std::string> defects;
    // The message as it arrived.
    std::string raw;
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
