#include "dialogs/Unt_About.h"

#include "platform/forms/FormLook.h"

#include "platform/forms/Application.h"
#include "platform/win/ShellApi.h"
#include "settings/SettingsFile.h"
#include "settings/ShareMisc.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>

namespace velvane {

TAboutBox* AboutBox = nullptr;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kSkyBlue(166, 202, 240);
const QColor kTeal(0, 128, 128);
const QColor kLinkBlue(0, 0, 255);
const QColor kTooltip(255, 255, 225);

QString Q(const char* text) { return QString::fromUtf8(text); }

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

void Fill(QWidget* widget, const QColor& color)
{
    Paint(widget, QPalette::Window, color);
    widget->setAutoFillBackground(true);
}

QLabel* TitleLabel(QWidget* parent, const QColor& color, const QRect& bounds)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPixelSize(32);
    font.setBold(true);
    font.setItalic(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    Paint(label, QPalette::WindowText, color);
    label->setGeometry(bounds);
    return label;
}

QLabel* BoldLabel(QWidget* parent, const char* text)
{
    auto* label = new QLabel(Q(text), parent);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->adjustSize();
    return label;
}

// The addresses come from the downloaded settings file: shown as plain
// text, never as markup.
TLinkLabel* Link(QWidget* parent, const char* hint, const QRect& bounds)
{
    auto* label = new TLinkLabel(parent);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    Paint(label, QPalette::WindowText, kLinkBlue);
    label->setToolTip(Q(hint));
    label->setGeometry(bounds);
    return label;
}

void OpenWithShell(const QString& address)
{
    // Failures are not reported: the box has nothing to add to them.
    ShellExecuteA(nullptr, "open", address.toStdString().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner)
{
    SetName("AboutBox");
    QWidget* window = Widget();
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCaption("Velvane 2.0.   Sobre...");
    Position = TPosition::poScreenCenter;
    SetClassicFont(window);
    window->setFixedSize(402, 214);
    Fill(window, kWhite);

    Panel1 = Named(new QFrame(window), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 386, 161);
    Fill(Panel1, kSkyBlue);

    ProgramIcon = Named(new QLabel(Panel1), "ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setAlignment(Qt::AlignCenter);

    // The black title two pixels off under the teal one makes its shadow.
    ProductNameBack = Named(TitleLabel(Panel1, Qt::black, QRect(82, 14, 296, 44)), "ProductNameBack");
    ProductNameCover = Named(TitleLabel(Panel1, kTeal, QRect(80, 12, 296, 44)), "ProductNameCover");

    Label1 = Named(BoldLabel(Panel1, "Versão   "), "Label1");
    Label1->move(88, 72);
    Version = Named(BoldLabel(Panel1, ""), "Version");
    Version->setGeometry(88 + Label1->width(), 72, 200, Label1->height());

    SiteDress = Named(Link(Panel1, "Visite nosso site", QRect(88, 104, 288, 16)), "SiteDress");
    MailDress = Named(Link(Panel1,
                           "envio-nos sua sugestões e ajude-nos a melhorar cada vez mais nossos produtos.",
                           QRect(88, 128, 288, 16)),
                      "MailDress");
    Fill(MailDress, kTooltip);

    OKButton = Named(new TBitBtn(this, window), "OKButton");
    OKButton->setText(Q("OK"));
    OKButton->ModalResult = mrOk;
    OKButton->setDefault(true);
    OKButton->setGeometry(163, 180, 75, 25);

    OnCreate = [this](QObject* sender) { FormCreate(sender); };
    OnClose = [this](QObject* sender, TCloseAction& action) { FormClose(sender, action); };
    QObject::connect(OKButton, &QPushButton::clicked, OKButton, [this] { OKButtonClick(OKButton); });
    SiteDress->OnClick = [this](QObject* sender) { SiteDressClick(sender); };
    MailDress->OnClick = [this](QObject* sender) { MailDressClick(sender); };

    // Made directly by the about command, not through the application object.
    DoCreate();
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::FormCreate(QObject*)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) ProgramIcon->setPixmap(icon.pixmap(32, 32));
    const QString title = Application ? QString::fromStdString(Application->Title()) : QString();
    ProductNameBack->setText(title);
    ProductNameCover->setText(title);
    Version->setText(QString::fromStdString(AppVersion));
}

void TAboutBox::OKButtonClick(QObject*) { Close(); }

void TAboutBox::FormClose(QObject*, TCloseAction& action) { action = TCloseAction::caFree; }

void TAboutBox::MailDressClick(QObject*) { OpenWithShell(QStringLiteral("mailto:") + MailDress->text()); }

void TAboutBox::SiteDressClick(QObject*)
{
    // The address comes from the downloaded settings file: a web page opens,
    // anything else (a local folder, a program) never does.
    const String site = SiteDress->text().toStdString();
    if (IsWebPageAddress(site)) OpenWithShell(SiteDress->text());
}

} // namespace velvane
