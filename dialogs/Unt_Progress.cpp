#include "dialogs/Unt_Progress.h"

#include "platform/forms/FormLook.h"

#include "platform/forms/Application.h"
#include "platform/net/HTTPClient.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace velvane {

TIdHTTP* DownloadClient = nullptr;
TFormProgress* FormProgress = nullptr;

namespace {

constexpr Qt::WindowFlags kBoxFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

// Forgets the download client when it is freed, so Cancel never reaches a
// client that is gone.
class ClientWatch : public TComponent {
public:
    ClientWatch() : TComponent(nullptr) {}

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == DownloadClient) DownloadClient = nullptr;
    }
};

ClientWatch& Watch()
{
    static ClientWatch watch;
    return watch;
}

void ProcessPendingMessages()
{
    if (Application) Application->ProcessMessages();
    else QCoreApplication::processEvents();
}

} // namespace

void SetDownloadClient(TIdHTTP* client)
{
    if (DownloadClient && DownloadClient != client) Watch().RemoveFreeNotification(DownloadClient);
    DownloadClient = client;
    if (client) Watch().FreeNotification(client);
}

TFormProgress::TFormProgress(TComponent* owner) : TForm(owner)
{
    SetName("FormProgress");
    QWidget* window = Widget();
    window->setWindowFlags(Qt::Window | kBoxFlags);
    Position = TPosition::poScreenCenter;
    KeyPreview = true;
    SetClassicFont(window);
    window->setFixedSize(274, 153);

    // The panel's caption sits in its middle, between the animation and the bar.
    BasePanel = Named(new QLabel(QStringLiteral("Baixando arquivo,  aguarde..."), window), "BasePanel");
    BasePanel->setTextFormat(Qt::PlainText);
    BasePanel->setAlignment(Qt::AlignCenter);
    BasePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    BasePanel->setLineWidth(1);
    BasePanel->setGeometry(0, 0, 274, 153);

    Animate = Named(new TAnimate(BasePanel), "Animate");
    Animate->setGeometry(1, 1, 272, 60);
    Animate->setCursor(Qt::WaitCursor);
    Animate->SetStopFrame(20);
    Animate->SetActive(true);

    ProgBar = Named(new QProgressBar(BasePanel), "ProgBar");
    ProgBar->setRange(0, 100);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(false);
    ProgBar->setGeometry(8, 92, 258, 16);

    Btn_Cancel = Named(new TBitBtn(this, BasePanel), "Btn_Cancel");
    Btn_Cancel->setText(QStringLiteral("Cancelar"));
    Btn_Cancel->ModalResult = mrCancel;
    Btn_Cancel->setGeometry(100, 118, 75, 25);

    OnClose = [this](QObject* sender, TCloseAction& action) { FormClose(sender, action); };
    QObject::connect(Btn_Cancel, &QPushButton::clicked, Btn_Cancel, [this] { Btn_CancelClick(Btn_Cancel); });
}

void TFormProgress::FormShow(QObject*) { ProcessPendingMessages(); }

void TFormProgress::FormClose(QObject*, TCloseAction& action) { action = TCloseAction::caHide; }

void TFormProgress::Btn_CancelClick(QObject*)
{
    // The Get that runs fails now; what follows is the caller's business.
    if (DownloadClient) DownloadClient->Disconnect();
    Close();
}

void TFormProgress::SetRange(int max)
{
    if (Widget()) ProgBar->setRange(0, max);
}

void TFormProgress::SetPosition(int position)
{
    if (Widget()) ProgBar->setValue(position);
}

void TFormProgress::SetParentWindow(QWidget* parent)
{
    QWidget* window = Widget();
    if (!window || window->parentWidget() == parent) return;
    const bool visible = window->isVisible();
    // With a parent it is a tool window: no task bar entry, kept above the
    // parent, still a box of its own.
    window->setParent(parent, (parent ? Qt::Tool : Qt::Window) | kBoxFlags);
    if (visible) Show();
}

void TFormProgress::WndProc(TMessage& message)
{
    if (message.Msg == WM_SHOWWINDOW && message.WParam != 0) FormShow(Widget());
    TForm::WndProc(message);
}

} // namespace velvane
