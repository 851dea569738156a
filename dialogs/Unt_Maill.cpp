#include "dialogs/Unt_Maill.h"

#include "platform/forms/FormLook.h"

#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "platform/net/MailMessage.h"
#include "platform/net/SMTPClient.h"
#include "platform/rtl/AsciiText.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/LastError.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>

#include <algorithm>
#include <climits>

namespace velvane {

namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }

QLabel* BuddyLabel(const char* text, QWidget* parent, QWidget* buddy, int left, int top)
{
    auto* label = new QLabel(Q(text), parent);
    label->setBuddy(buddy);
    label->adjustSize();
    label->move(left, top);
    return label;
}

int ToBar(std::int64_t bytes) { return static_cast<int>(std::clamp<std::int64_t>(bytes, 0, INT_MAX)); }

} // namespace

TForm_Maill::TForm_Maill(TComponent* owner) : TForm(owner), FallbackHost(VELVANE_FALLBACK_SMTP_HOST)
{
    SetName("Form_Maill");
    QWidget* window = Widget();
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCaption("Compartilhar imagem");
    Position = TPosition::poScreenCenter;
    SetClassicFont(window);
    window->setFixedSize(518, 372);

    EditFile = Named(new TLabeledEdit("Arquivo ou URL da imagem", window), "EditFile");
    EditFile->SetBounds(8, 24, 502, 21);

    Category = Named(new TComboBox(false, window), "Category");
    Category->AddItems({"Carros", "Cartoons", "Cidades", "Computação gráfica", "Filmes", "Monumentos", "Objetos",
                        "Paisagems", "Personalidades", "Pessoas", "Psicodélico", "Outros"});
    // Nothing is chosen until the user chooses.
    Category->SetItemIndex(-1);
    Category->setGeometry(8, 68, 200, 21);
    CategoryLabel = Named(BuddyLabel("Categoria", window, Category, 8, 52), "CategoryLabel");

    Adress = Named(new TComboBox(true, window), "Adress");
    Adress->AddItems({"Publicar no Velvane"});
    Adress->SetText("");
    Adress->setGeometry(216, 68, 294, 21);
    AdressLabel = Named(BuddyLabel("destinatário", window, Adress, 216, 52), "AdressLabel");

    Messages = Named(new QPlainTextEdit(window), "Messages");
    Messages->setGeometry(8, 112, 502, 150);
    MessagesLabel = Named(BuddyLabel("Mensagem", window, Messages, 8, 96), "MessagesLabel");

    ProgBar = Named(new QProgressBar(window), "ProgBar");
    ProgBar->setRange(0, 100);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(false);
    ProgBar->setGeometry(8, 272, 502, 16);

    Btn_Send = Named(new TBitBtn(this, window), "Btn_Send");
    Btn_Send->setText(Q("&Enviar"));
    Btn_Send->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowForward));
    Btn_Send->setGeometry(354, 300, 75, 25);

    Btn_Cancel = Named(new TBitBtn(this, window), "Btn_Cancel");
    Btn_Cancel->SetKind(TBitBtnKind::bkCancel);
    Btn_Cancel->setText(Q("Cancelar"));
    // The click decides: during a send it stops the send and the dialog stays.
    Btn_Cancel->ModalResult = mrNone;
    Btn_Cancel->setGeometry(435, 300, 75, 25);

    StatusLabel = Named(new QLabel(Q(" Enviar imagem por e-mail"), window), "StatusLabel");
    // File names and server texts are shown as they are, never as markup.
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->setIndent(4);
    QFont bold = StatusLabel->font();
    bold.setBold(true);
    StatusLabel->setFont(bold);
    QPalette palette = StatusLabel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    StatusLabel->setPalette(palette);
    StatusLabel->setAutoFillBackground(true);
    StatusLabel->setGeometry(0, 350, 518, 22);

    SMTP = new TNMSMTP(this);
    SMTP->SetName("SMTP");
    SMTP->Port = 25;
    SMTP->PostMessage.Subject = "Imagem compartilhada pelo Velvane";
    SMTP->PostMessage.LocalProgram = "Velvane";
    SMTP->ClearParams = true;
    SMTP->EventSender = window;

    OnClose = [this](QObject* sender, TCloseAction& action) { FormClose(sender, action); };
    QObject::connect(Btn_Send, &QPushButton::clicked, Btn_Send, [this] { Btn_SendClick(Btn_Send); });
    QObject::connect(Btn_Cancel, &QPushButton::clicked, Btn_Cancel, [this] { Btn_CancelClick(Btn_Cancel); });
    SMTP->OnConnect = [this](QObject* s) { SMTPConnect(s); };
    SMTP->OnAuthenticationFailed = [this](QObject* s) { SMTPAuthenticationFailed(s); };
    SMTP->OnConnectionFailed = [this](QObject* s) { SMTPConnectionFailed(s); };
    SMTP->OnFailure = [this](QObject* s) { SMTPFailure(s); };
    SMTP->OnInvalidHost = [this](QObject* s) { SMTPInvalidHost(s); };
    SMTP->OnSendStart = [this](QObject* s) { SMTPSendStart(s); };
    SMTP->OnStatus = [this](QObject* s, const String& status) { SMTPStatus(s, status); };
    SMTP->OnAttachmentNotFound = [this](QObject* s, const String& file) { SMTPAttachmentNotFound(s, file); };
    SMTP->OnRecipientNotFound = [this](QObject* s, const String& to) { SMTPRecipientNotFound(s, to); };
    SMTP->OnSuccess = [this](QObject* s) { SMTPSuccess(s); };
    SMTP->OnPacketSent = [this](QObject* s) { SMTPPacketSent(s); };

    // Made directly by the share command, not through the application object.
    DoCreate();
}

String TForm_Maill::Msg(int line) const { return Constants ? Constants(line) : String(); }

void TForm_Maill::SetStatus(const String& text) { StatusLabel->setText(QString::fromStdString(text)); }

void TForm_Maill::Btn_SendClick(QObject*)
{
    if (sending_) return;
    const String confirmation = Msg(54) + "\r" + Msg(55) + "\r" + Msg(56);
    if (MailUser.empty()) {
        MessageDlg(Msg(57) + "\r" + Msg(58), TMsgDlgType::mtError, mbOK);
        ModalResult = mrCancel;
        return;
    }
    if (Adress->Text().empty()) {
        MessageDlg(Msg(59), TMsgDlgType::mtWarning, mbOK);
        return;
    }

    // Each send starts from an empty message, whatever the last one left.
    TNMSMTP::TPostMessage& message = SMTP->PostMessage;
    message.ToAddress.Clear();
    message.Attachments.Clear();
    message.FromAddress = MailUser;
    message.FromName = SMTP->UserID;

    const int chosen = Category->ItemIndex();
    const String category =
        chosen >= 0 && chosen < Category->count() ? Category->itemText(chosen).toStdString() : String();
    message.Body.SetText(Messages->toPlainText().toStdString() + "\r\r" + Msg(61) + category);

    const String picture = EditFile->Text();
    if (picture.find("www.") != String::npos)
        message.Body.Add(Msg(62) + " " + picture);
    else
        message.Attachments.Add(picture);

    message.Date = net::MailDateNow();

    const String publication = Msg(67);
    const String recipient = Adress->Text() == Msg(63) ? publication : Adress->Text();
    message.ToAddress.Add(recipient);
    if (SameTextAscii(recipient, publication) &&
        MessageDlg(confirmation, TMsgDlgType::mtConfirmation, mbYesNo) != mrYes) {
        Close();
        return;
    }

    SetStatus(Msg(60));
    Deliver();
    if (closeAfterSend_) {
        closeAfterSend_ = false;
        Close();
    }
}

void TForm_Maill::Deliver()
{
    sending_ = true;
    Btn_Send->setEnabled(false);
    // The fallback is for this send only: the next one starts from the
    // user's own server and account again.
    struct Done {
        TForm_Maill& form;
        const String host, user;
        ~Done()
        {
            form.SMTP->Disconnect();
            form.SMTP->Host = host;
            form.SMTP->UserID = user;
            form.sending_ = false;
            form.Btn_Send->setEnabled(true);
        }
    } done{*this, SMTP->Host, SMTP->UserID};

    try {
        try {
            SMTP->Connect();
        } catch (const EIdConnClosedGracefully&) {
            // The user stopped it: no other server is tried.
            throw;
        } catch (const Exception& own) {
            // What the user's own server did, with the system's reason for a
            // connection that failed (refused, no answer); a name not found
            // has its own line.
            String why = StatusLabel->text().toStdString();
            const auto* socket = dynamic_cast<const EIdSocketError*>(&own);
            if (socket && socket->LastError != WSAHOST_NOT_FOUND) why += " " + SysErrorMessage(socket->LastError);
            SetStatus("");
            SMTP->UserID.clear();
            SMTP->Host = FallbackHost;
            try {
                SMTP->Connect();
            } catch (const EIdSocketError& fallback) {
                // A fallback that cannot even be found says nothing to the
                // user: the own server's failure is what to mend.
                if (fallback.LastError == WSAHOST_NOT_FOUND) SetStatus(why);
                throw;
            }
        }
        if (SMTP->Connected()) {
            SMTP->SendMail();
            SMTP->Disconnect();
            SMTP->PostMessage.Body.Clear();
        }
    } catch (const Exception&) {
        // The status line already tells what went wrong.
        SMTP->Disconnect();
    }
}

void TForm_Maill::Btn_CancelClick(QObject*)
{
    if (SMTP->Connected())
        SMTP->Disconnect();
    else
        Close();
}

void TForm_Maill::FormClose(QObject*, TCloseAction& action)
{
    if (sending_) {
        // The send stops first; the dialog closes once it has let go.
        closeAfterSend_ = true;
        SMTP->Disconnect();
        action = TCloseAction::caNone;
        return;
    }
    action = TCloseAction::caFree;
}

void TForm_Maill::SMTPConnect(QObject*) { SetStatus(Msg(3)); }

void TForm_Maill::SMTPAuthenticationFailed(QObject*) { SetStatus(Msg(46)); }

void TForm_Maill::SMTPConnectionFailed(QObject*) { SetStatus(Msg(47)); }

void TForm_Maill::SMTPFailure(QObject*) { SetStatus(Msg(47)); }

void TForm_Maill::SMTPInvalidHost(QObject*) { SetStatus(Msg(48)); }

void TForm_Maill::SMTPSendStart(QObject*) { SetStatus(Msg(50)); }

void TForm_Maill::SMTPStatus(QObject*, const String&) { SetStatus(Msg(51)); }

void TForm_Maill::SMTPAttachmentNotFound(QObject*, const String& fileName)
{
    SetStatus(Format(Msg(45), {fileName}));
}

void TForm_Maill::SMTPRecipientNotFound(QObject*, const String& recipient)
{
    SetStatus(Msg(49) + "[" + recipient + "]");
}

void TForm_Maill::SMTPSuccess(QObject*)
{
    SetStatus(Msg(52));
    Btn_Cancel->SetKind(TBitBtnKind::bkClose);
    Btn_Cancel->setText(QString::fromStdString(Msg(53)));
    ProgBar->setValue(0);
}

void TForm_Maill::SMTPPacketSent(QObject*)
{
    ProgBar->setMaximum(ToBar(SMTP->BytesTotal()));
    ProgBar->setValue(ToBar(SMTP->BytesSent()));
    if (Application) Application->ProcessMessages();
}

} // namespace velvane
