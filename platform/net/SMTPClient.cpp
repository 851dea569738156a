#include "platform/net/SMTPClient.h"

#include "platform/forms/Application.h"
#include "platform/net/CurlSupport.h"
#include "platform/net/MailMessage.h"
#include "platform/rtl/AsciiText.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinError.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <new>

namespace velvane {

using net::BusyScope;
using net::EasyHandle;

std::function<void()> TNMSMTP::PumpEvents = [] {
    if (Application) Application->ProcessMessages();
};

namespace {

// The part of the session a command or a reply belongs to.
enum class Stage { None, Greeting, Hello, Mail, Recipient, Data, Content, Command, Quit };

using Clock = std::chrono::steady_clock;

// Seconds a polite QUIT may take before the connection is simply cut.
constexpr long kQuitSeconds = 5;
// How often the program is kept alive from inside libcurl, when it waits
// there (the usual rounds run far more often).
constexpr auto kPumpEvery = std::chrono::milliseconds(200);

bool IsHostText(const String& host)
{
    if (host.empty()) return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '.' || c == '_' || c == ':';
    });
}

String SessionUrl(const String& host, int port)
{
    // A numeric IPv6 address needs brackets in an address.
    const String name = host.find(':') != String::npos ? "[" + host + "]" : host;
    return "smtp://" + name + ":" + std::to_string(port);
}

// Whether the server has closed a connection we hold idle.
bool PeerClosed(int socket)
{
    pollfd p{socket, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    char byte;
    return ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

} // namespace

// One session with the server. libcurl keeps the connection in the share
// object between calls; the connection's socket is followed so it can be cut
// at once, since libcurl would otherwise end it with a QUIT and wait for the
// reply without letting anything else run.
class TNMSMTP::Session {
public:
    Session() : share_(curl_share_init()), easy_(net::NewEasy())
    {
        if (!share_) throw std::bad_alloc();
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    }
    ~Session()
    {
        if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);
        easy_.reset();
        curl_share_cleanup(share_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Back to the defaults, still on this session's connection.
    CURL* Fresh()
    {
        CURL* e = easy_.get();
        curl_easy_reset(e);
        curl_easy_setopt(e, CURLOPT_SHARE, share_);
        curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, &Session::OnOpened);
        curl_easy_setopt(e, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Session::OnClose);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, this);
        return e;
    }

    bool Open() const { return socket_ >= 0; }
    bool Idle() const { return Open() && !PeerClosed(socket_); }
    // Stops reading, so a reply libcurl would wait for never comes.
    void StopReading() const
    {
        if (socket_ >= 0) ::shutdown(socket_, SHUT_RD);
    }

private:
    static int OnOpened(void* self, curl_socket_t socket, curlsocktype purpose)
    {
        if (purpose == CURLSOCKTYPE_IPCXN) static_cast<Session*>(self)->socket_ = socket;
        return CURL_SOCKOPT_OK;
    }
    static int OnClose(void* self, curl_socket_t socket)
    {
        auto* session = static_cast<Session*>(self);
        if (session->socket_ == socket) session->socket_ = -1;
        return ::close(socket);
    }

    CURLSH* share_;
    EasyHandle easy_;
    int socket_ = -1;
};

// One call's exchange with the server. libcurl's callbacks only record; the
// events run from Step, outside libcurl.
class TNMSMTP::Transfer {
public:
    enum class Kind { Open, Send, Quit };

    Transfer(TNMSMTP& client, Session& session, Kind kind) : client_(client), session_(session), kind_(kind)
    {
        errorText_[0] = '\0';
        CURL* e = easy_ = session_.Fresh();
        url_ = SessionUrl(client_.Host, client_.Port);
        curl_easy_setopt(e, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "smtp");
        // Proxy variables of the environment are not for mail.
        curl_easy_setopt(e, CURLOPT_PROXY, "");
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText_);
        // Encryption when the server offers it, never required. Like every
        // opportunistic use of STARTTLS the certificate is not checked: a
        // server whose certificate does not verify still gets its mail, as it
        // would over a plain connection.
        curl_easy_setopt(e, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 0L);
        if (client_.ReplyTimeout > 0) {
            const long seconds = client_.ReplyTimeout;
            curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, seconds);
            curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
            // A server that stops taking the message.
            curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, seconds);
        }
        curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Transfer::OnDebug);
        curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnReplyText);
        curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
        curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
        net::RefuseAnyAddress(e, &refusedAnyAddress_);
        switch (kind_) {
        case Kind::Open: curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "NOOP"); break;
        case Kind::Quit:
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "QUIT");
            curl_easy_setopt(e, CURLOPT_TIMEOUT, kQuitSeconds);
            break;
        case Kind::Send: break;
        }
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void SetMessage(String message, const String& from, const std::vector<String>& to)
    {
        message_ = std::move(message);
        from_ = "<" + from + ">";
        for (const String& address : to) {
            if (curl_slist* grown = curl_slist_append(recipients_.get(), ("<" + address + ">").c_str())) {
                (void)recipients_.release();
                recipients_.reset(grown);
            } else {
                throw std::bad_alloc();
            }
        }
    }

    // Runs the exchange; raises after firing the event that tells the user.
    void Run()
    {
        CURL* e = easy_;
        if (kind_ == Kind::Send) {
            curl_easy_setopt(e, CURLOPT_MAIL_FROM, from_.c_str());
            curl_easy_setopt(e, CURLOPT_MAIL_RCPT, recipients_.get());
            curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(e, CURLOPT_READFUNCTION, &Transfer::OnMessageBytes);
            curl_easy_setopt(e, CURLOPT_READDATA, this);
            curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message_.size()));
        }
        lastPump_ = Clock::now();
        CURLcode result = net::RunPumped(e, [this] { return Step(); });
        if (pumpError_) std::rethrow_exception(pumpError_);
        // A cancel heard in the last round still stops a session being
        // opened; a message the server has taken is sent, whatever came after.
        if (result == CURLE_OK && kind_ == Kind::Open && client_.cancel_) result = CURLE_ABORTED_BY_CALLBACK;
        if (result != CURLE_OK) Fail(result);
    }

private:
    static size_t OnReplyText(char*, size_t size, size_t count, void*) { return size * count; }

    static size_t OnMessageBytes(char* buffer, size_t size, size_t count, void* self)
    {
        auto* t = static_cast<Transfer*>(self);
        const size_t n = std::min(size * count, t->message_.size() - t->offset_);
        std::memcpy(buffer, t->message_.data() + t->offset_, n);
        t->offset_ += n;
        return n;
    }

    // libcurl waits for the reply to a whole message without returning (it
    // calls this about once a second meanwhile): the program is kept alive
    // and a cancel heard from here too.
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* t = static_cast<Transfer*>(self);
        if (t->client_.cancel_) return 1;
        if (Clock::now() - t->lastPump_ < kPumpEvery) return 0;
        // Nothing may unwind through libcurl's frames.
        try {
            t->Pump();
        } catch (...) {
            t->pumpError_ = std::current_exception();
            return 1;
        }
        return t->client_.cancel_ ? 1 : 0;
    }

    void Pump()
    {
        lastPump_ = Clock::now();
        client_.Pump();
    }

    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self)
    {
        auto* t = static_cast<Transfer*>(self);
        const std::string_view text(data, size);
        switch (type) {
        case CURLINFO_HEADER_IN: t->TakeReply(text); break;
        case CURLINFO_HEADER_OUT: t->TakeCommand(text); break;
        case CURLINFO_DATA_OUT: t->stage_ = Stage::Content; break;
        default: break;
        }
        return 0;
    }

    void TakeReply(std::string_view text)
    {
        // What matters is the reply that ended the exchange, not one to the
        // QUIT that followed it.
        if (closing_) return;
        if (stage_ == Stage::None) stage_ = Stage::Greeting;
        // A reply of several lines: the code of the last one counts.
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            const String line(TrimBlanks(text.substr(start, end + 1 - start)));
            if (line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3, [](char c) { return c >= '0' && c <= '9'; })) {
                replyCode_ = std::stoi(line.substr(0, 3));
                replyText_ = line;
            }
            start = end + 1;
        }
    }

    void TakeCommand(std::string_view text)
    {
        const String line(TrimBlanks(text));
        if (StartsWithAscii(line, "EHLO") || StartsWithAscii(line, "HELO") || StartsWithAscii(line, "STARTTLS") ||
            StartsWithAscii(line, "AUTH")) {
            stage_ = Stage::Hello;
        } else if (StartsWithAscii(line, "MAIL FROM")) {
            stage_ = Stage::Mail;
        } else if (StartsWithAscii(line, "RCPT TO")) {
            stage_ = Stage::Recipient;
            const auto open = line.find('<');
            const auto close = line.rfind('>');
            recipient_ = open != String::npos && close != String::npos && close > open
                             ? line.substr(open + 1, close - open - 1)
                             : line.substr(std::min<size_t>(8, line.size()));
        } else if (StartsWithAscii(line, "DATA")) {
            stage_ = Stage::Data;
        } else if (StartsWithAscii(line, "QUIT")) {
            // Only the QUIT this exchange was made for gets its reply read.
            if (kind_ == Kind::Quit && stage_ != Stage::Quit) {
                stage_ = Stage::Quit;
            } else {
                closing_ = true;
                session_.StopReading();
            }
        } else {
            stage_ = Stage::Command;
        }
    }

    // Runs between rounds of work: status, progress, the pump and cancel.
    bool Step()
    {
        if (kind_ == Kind::Send) {
            if (stage_ != reportedStage_) {
                reportedStage_ = stage_;
                if (const char* text = StageText(stage_)) client_.Status(text);
            }
            const auto sent = static_cast<std::int64_t>(offset_);
            if (sent > client_.bytesSent_) {
                client_.bytesSent_ = sent;
                client_.Fire(client_.OnPacketSent);
            }
        }
        if (client_.cancel_) return false;
        Pump();
        return !client_.cancel_;
    }

    static const char* StageText(Stage stage)
    {
        switch (stage) {
        case Stage::Mail: return "Sending the sender's address.";
        case Stage::Recipient: return "Sending the recipients.";
        case Stage::Data: return "Starting the message.";
        case Stage::Content: return "Sending the message.";
        default: return nullptr;
        }
    }

    [[noreturn]] void Fail(CURLcode result)
    {
        // Nobody is told about a QUIT that went wrong: the session ends anyway.
        if (kind_ == Kind::Quit) throw EIdException(curl_easy_strerror(result));
        const bool opening = kind_ == Kind::Open;
        if (result == CURLE_ABORTED_BY_CALLBACK && client_.cancel_) {
            client_.Fire(opening ? client_.OnConnectionFailed : client_.OnFailure);
            throw EIdConnClosedGracefully(ErrorText(TErrorText::ConnectionClosed));
        }
        if (replyCode_ >= 400) {
            if (stage_ == Stage::Recipient) {
                if (client_.OnRecipientNotFound) client_.OnRecipientNotFound(client_.EventSender, recipient_);
            } else if (opening || stage_ == Stage::Greeting || stage_ == Stage::Hello) {
                client_.Fire(client_.OnAuthenticationFailed);
            } else {
                client_.Fire(client_.OnFailure);
            }
            throw EIdSMTPReplyError(replyCode_, replyText_);
        }
        if (result == CURLE_COULDNT_RESOLVE_HOST) {
            client_.Fire(client_.OnInvalidHost);
        } else {
            client_.Fire(opening || stage_ == Stage::None ? client_.OnConnectionFailed : client_.OnFailure);
        }
        long osErrno = 0;
        curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &osErrno);
        if (const DWORD number = net::SocketErrorFor(result, osErrno, refusedAnyAddress_))
            net::RaiseSocketError(number);
        throw EIdException(*errorText_ ? String(errorText_) : String(curl_easy_strerror(result)));
    }

    TNMSMTP& client_;
    Session& session_;
    Kind kind_;
    CURL* easy_ = nullptr;
    String url_;
    String message_;
    size_t offset_ = 0;
    String from_;
    net::HeaderList recipients_;
    char errorText_[CURL_ERROR_SIZE];
    bool refusedAnyAddress_ = false;
    Stage stage_ = Stage::None;
    Stage reportedStage_ = Stage::None;
    bool closing_ = false;
    Clock::time_point lastPump_;
    std::exception_ptr pumpError_;
    int replyCode_ = 0;
    String replyText_;
    String recipient_;
};

TNMSMTP::TNMSMTP(TComponent* owner) : TComponent(owner) {}

TNMSMTP::~TNMSMTP() = default;

void TNMSMTP::Fire(const TSMTPEvent& event)
{
    if (event) event(EventSender);
}

void TNMSMTP::Status(const String& text)
{
    if (OnStatus) OnStatus(EventSender, text);
}

void TNMSMTP::Pump()
{
    if (PumpEvents) PumpEvents();
}

void TNMSMTP::CloseSession()
{
    connected_ = false;
    session_.reset();
}

void TNMSMTP::Connect()
{
    if (Connected()) throw EIdAlreadyConnected(ErrorText(TErrorText::AlreadyConnected));
    BusyScope busy(busy_, cancel_);
    CloseSession();
    if (!IsHostText(Host)) {
        Fire(OnInvalidHost);
        net::RaiseSocketError(WSAHOST_NOT_FOUND);
    }
    session_ = std::make_unique<Session>();
    try {
        Transfer(*this, *session_, Transfer::Kind::Open).Run();
    } catch (...) {
        CloseSession();
        throw;
    }
    connected_ = true;
    Fire(OnConnect);
}

void TNMSMTP::SendMail()
{
    if (!connected_ || !session_) throw EIdException(ErrorText(TErrorText::NotConnected));
    BusyScope busy(busy_, cancel_);
    bytesTotal_ = 0;
    bytesSent_ = 0;
    Fire(OnSendStart);
    // Recipients and attachments are for this message only, however it ends.
    struct ClearAfter {
        TNMSMTP& client;
        ~ClearAfter()
        {
            if (!client.ClearParams) return;
            client.PostMessage.ToAddress.Clear();
            client.PostMessage.Attachments.Clear();
        }
    } clearAfter{*this};

    const TPostMessage& m = PostMessage;
    auto refuseAddress = [this](const String& address, TErrorText why) {
        if (OnRecipientNotFound) OnRecipientNotFound(EventSender, address);
        throw EIdException(ErrorText(why));
    };
    // One bare address each: anything more could add recipients, headers or
    // parameters to the session's commands.
    if (!net::IsPlainAddress(m.FromAddress)) refuseAddress(m.FromAddress, TErrorText::SenderRefused);
    std::vector<String> recipients;
    for (int i = 0; i < m.ToAddress.Count(); ++i) {
        if (!net::IsPlainAddress(m.ToAddress[i])) refuseAddress(m.ToAddress[i], TErrorText::RecipientRefused);
        recipients.push_back(String(TrimBlanks(m.ToAddress[i])));
    }
    if (recipients.empty()) refuseAddress({}, TErrorText::NoRecipient);

    net::MailParts parts;
    for (int i = 0; i < m.Attachments.Count(); ++i) {
        const String path = m.Attachments[i];
        try {
            if (net::HasControlCharacter(path)) throw EFOpenError(ErrorText(TErrorText::FileNameWithControlCharacter, {path}));
            parts.attachments.push_back({ExtractFileName(path), ReadFileBytes(path)});
        } catch (const EFOpenError&) {
            if (OnAttachmentNotFound) OnAttachmentNotFound(EventSender, path);
            throw;
        }
    }
    parts.fromAddress = String(TrimBlanks(m.FromAddress));
    parts.fromName = m.FromName;
    parts.to = recipients;
    parts.subject = m.Subject;
    parts.date = m.Date.empty() ? net::MailDateNow() : m.Date;
    const auto at = parts.fromAddress.rfind('@');
    parts.messageId = net::NewMessageId(at == String::npos ? String() : parts.fromAddress.substr(at + 1));
    parts.mailer = m.LocalProgram;
    for (int i = 0; i < m.Body.Count(); ++i) parts.body.push_back(m.Body[i]);
    String message = net::ComposeMessage(parts, net::NewBoundary());
    bytesTotal_ = static_cast<std::int64_t>(message.size());

    try {
        Transfer transfer(*this, *session_, Transfer::Kind::Send);
        transfer.SetMessage(std::move(message), parts.fromAddress, recipients);
        transfer.Run();
    } catch (...) {
        CloseSession();
        throw;
    }
    Fire(OnSuccess);
}

void TNMSMTP::Disconnect()
{
    connected_ = false;
    // A running call stops and closes the session itself.
    if (busy_) {
        cancel_ = true;
        return;
    }
    if (session_ && session_->Idle()) {
        try {
            BusyScope busy(busy_, cancel_);
            Transfer(*this, *session_, Transfer::Kind::Quit).Run();
        } catch (...) {
            // The connection is cut below either way.
        }
    }
    CloseSession();
}

} // namespace velvane
