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

struct ReceivedAttachment {
    std::string fileName;
    std::string contentType;
    std::string bytes;
};

struct ReceivedMail {
    // The envelope: MAIL FROM and RCPT TO.
    std::string mailFrom;
    std::vector<std::string> rcptTo;
    bool overTls = false;
    // The header as the parser reads it.
    std::string fromAddress, fromName;
    std::vector<std::string> to;
    std::string subject;
    std::string date;  // ISO 8601, "" when the parser found no valid date
    std::string messageId;
    std::string mailer;
    // The text part decoded, lines joined by "\n".
    std::string body, bodyCharset;
    std::vector<ReceivedAttachment> attachments;
    // What the parser found wrong with the message.
    std::vector<std::string> defects;
    // The message as it arrived.
    std::string raw;
};

class SmtpSink {
public:
    // With a certificate and key (PEM files) the server offers STARTTLS.
    explicit SmtpSink(const std::string& certFile = {}, const std::string& keyFile = {});
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    int Port() const { return port_; }
    // Every message accepted so far, in order.
    std::vector<ReceivedMail> Mails() const;

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

// Makes a self-signed certificate and key for "sink.test" in the folder
// (with the openssl program); false when that failed.
bool MakeTestCertificate(const std::string& folder, std::string& certFile, std::string& keyFile);

} // namespace velvane::test
