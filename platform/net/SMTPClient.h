#pragma once
// TNMSMTP: the programs' SMTP client, over libcurl.
//
// Connect opens a session with Host:Port (the greeting, EHLO, STARTTLS when
// the server offers it, and a NOOP to see the server answers); SendMail sends
// PostMessage over it; Disconnect ends it with QUIT. Like the HTTP client,
// each call blocks its caller but keeps the program alive: while it waits it
// calls PumpEvents about every 20 ms, and every event fires on the calling
// thread. Disconnect from an event handler or from something PumpEvents runs
// stops a running Connect or SendMail, which then raises
// EIdConnClosedGracefully. No call ever waits for the reply to QUIT.
//
// Every failure fires its event first and then raises: a host that cannot
// be found OnInvalidHost (EIdSocketError 11001); a connection refused, cut,
// timed out or cancelled while connecting OnConnectionFailed; a greeting or
// EHLO the server refuses OnAuthenticationFailed (EIdSMTPReplyError); an
// attachment that cannot be read OnAttachmentNotFound (the file's own error);
// a recipient the server refuses OnRecipientNotFound (EIdSMTPReplyError);
// anything else while sending OnFailure. A sender or recipient that is not
// one bare address (blanks, "<", ">", ",", control characters and their kin
// in it), and a file name holding a control character, are refused before
// anything is sent, so none can add recipients, lines to the message or
// commands to the session.
//
// The client belongs to the thread that made it and must not be freed from
// inside its own calls.

#include "platform/classes/Component.h"
#include "platform/net/IdExceptions.h"
#include "platform/rtl/Strings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;

namespace velvane {

// The server refused a command; the message is its reply.
class EIdSMTPReplyError : public EIdProtocolReplyError {
public:
    EIdSMTPReplyError(int replyCode, String message)
        : EIdProtocolReplyError(std::move(message)), ReplyCode(replyCode)
    {
    }
    const char* ClassName() const noexcept override { return "EIdSMTPReplyError"; }

    int ReplyCode;
};

using TSMTPEvent = std::function<void(QObject* sender)>;
// The file name of an attachment, or the address of a recipient.
using TSMTPItemEvent = std::function<void(QObject* sender, const String& item)>;
using TSMTPStatusEvent = std::function<void(QObject* sender, const String& status)>;

class TNMSMTP : public TComponent {
public:
    explicit TNMSMTP(TComponent* owner);
    ~TNMSMTP() override;

    const char* ClassName() const override { return "TNMSMTP"; }

    String Host;
    int Port = 25;
    // The account at the server. No password is kept, so no login is tried;
    // the programs take it as the sender's display name.
    String UserID;
    // Seconds to wait for each reply of the server (0: libcurl's own).
    int ReplyTimeout = 120;
    // Clears the recipients and attachments after each SendMail.
    bool ClearParams = true;

    struct TPostMessage {
        String FromAddress;
        String FromName;
        TStringList ToAddress;
        TStringList Body;
        // Paths of local files.
        TStringList Attachments;
        // The Date header; "" takes the time of sending.
        String Date;
        String Subject;
        // The sending program, named in the header.
        String LocalProgram;
    } PostMessage;

    // True from a successful Connect until Disconnect or a failure that ended
    // the session, and throughout a call.
    bool Connected() const { return connected_ || busy_; }
    void Connect();
    void SendMail();
    // Ends the session; stops a running call. Never raises.
    void Disconnect();

    // The size of the message being sent and how much of it went out.
    std::int64_t BytesTotal() const { return bytesTotal_; }
    std::int64_t BytesSent() const { return bytesSent_; }

    QObject* EventSender = nullptr;
    TSMTPEvent OnConnect;
    TSMTPEvent OnAuthenticationFailed;
    TSMTPEvent OnConnectionFailed;
    TSMTPEvent OnFailure;
    TSMTPEvent OnInvalidHost;
    TSMTPEvent OnSendStart;
    TSMTPStatusEvent OnStatus;
    TSMTPItemEvent OnAttachmentNotFound;
    TSMTPItemEvent OnRecipientNotFound;
    TSMTPEvent OnSuccess;
    TSMTPEvent OnPacketSent;

    // Called while the client waits; by default runs the application's
    // pending messages when there is an application object.
    static std::function<void()> PumpEvents;

private:
    class Session;
    class Transfer;
    friend class Transfer;

    void Fire(const TSMTPEvent& event);
    void Status(const String& text);
    void Pump();
    void CloseSession();

    std::unique_ptr<Session> session_;
    std::int64_t bytesTotal_ = 0;
    std::int64_t bytesSent_ = 0;
    bool connected_ = false;
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancel_{false};
};

} // namespace velvane
