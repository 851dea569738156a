#pragma once
// TForm_Maill: sends the picture chosen in the editor's list to a recipient
// by e-mail, as an attachment (a local file) or as a link (a web address),
// with the user's message and a category. The recipient "Publicar no Velvane"
// sends it to the publisher's mailbox after a confirmation.
//
// The share command makes one with no owner, fills in the message table, the
// user's address, the mail server, the picture and the categories, shows it
// modally and frees it. Every text it shows at run time comes from the
// editor's message table.

#include "platform/forms/Buttons.h"
#include "platform/forms/Form.h"
#include "platform/forms/StdCtrls.h"

#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;

namespace velvane {

class TNMSMTP;

class TForm_Maill : public TForm {
public:
    explicit TForm_Maill(TComponent* owner);
    const char* ClassName() const override { return "TForm_Maill"; }

    TLabeledEdit* EditFile = nullptr;
    QLabel* CategoryLabel = nullptr;
    TComboBox* Category = nullptr;
    QLabel* MessagesLabel = nullptr;
    QPlainTextEdit* Messages = nullptr;
    QLabel* AdressLabel = nullptr;
    TComboBox* Adress = nullptr;
    TBitBtn* Btn_Send = nullptr;
    TBitBtn* Btn_Cancel = nullptr;
    QProgressBar* ProgBar = nullptr;
    QLabel* StatusLabel = nullptr;
    TNMSMTP* SMTP = nullptr;

    // The editor's message table, by line.
    std::function<String(int line)> Constants;
    // The user's own address, the sender of every message.
    String MailUser;
    // Tried once, with no user id, when the user's own server cannot be
    // reached; each send starts from the user's own server again.
    String FallbackHost;

    // True while a send runs.
    bool Sending() const { return sending_; }

    void Btn_SendClick(QObject* sender);
    void Btn_CancelClick(QObject* sender);
    void FormClose(QObject* sender, TCloseAction& action);

    void SMTPConnect(QObject* sender);
    void SMTPAuthenticationFailed(QObject* sender);
    void SMTPConnectionFailed(QObject* sender);
    void SMTPFailure(QObject* sender);
    void SMTPInvalidHost(QObject* sender);
    void SMTPSendStart(QObject* sender);
    void SMTPStatus(QObject* sender, const String& status);
    void SMTPAttachmentNotFound(QObject* sender, const String& fileName);
    void SMTPRecipientNotFound(QObject* sender, const String& recipient);
    void SMTPSuccess(QObject* sender);
    void SMTPPacketSent(QObject* sender);

private:
    String Msg(int line) const;
    void SetStatus(const String& text);
    // Connects (to the fallback host when the user's own server fails),
    // sends and disconnects; failures show only through the status line.
    void Deliver();

    bool sending_ = false;
    bool closeAfterSend_ = false;
};

} // namespace velvane
