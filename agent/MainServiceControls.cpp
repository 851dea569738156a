// The agent window's controls, menu and components, and which handler each
// one calls.

#include "agent/MainService.h"

#include "agent/ActionManager.h"
#include "agent/WallPaper.h"
#include "dialup/Connection.h"
#include "dialup/DialUp.h"
#include "platform/forms/Application.h"
#include "platform/forms/ControlEvents.h"
#include "platform/forms/Menus.h"
#include "platform/net/IPWatch.h"
#include "platform/net/IcmpClient.h"
#include "settings/WinRegistry.h"
#include "settings/WindowData.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QVBoxLayout>

#include <random>

namespace velvane::agent {

TMainForm* MainForm = nullptr;

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    return label;
}

QAction* Item(QMenu* menu, const char* name, const char* text)
{
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(name);
    return action;
}

// The banner shown until the server's mini banner arrives.
QPixmap DesignBanner()
{
    QPixmap banner(231, 21);
    QPainter painter(&banner);
    QLinearGradient shade(0, 0, 231, 0);
    shade.setColorAt(0, QColor(0x1B, 0x3A, 0x6B));
    shade.setColorAt(1, QColor(0x6F, 0x9C, 0xD8));
    painter.fillRect(banner.rect(), shade);
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(banner.rect().adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "Lumetra");
    return banner;
}

// Runs work once, when the widget is first shown.
class WhenFirstShown : public QObject {
public:
    WhenFirstShown(QWidget* widget, std::function<void()> work) : QObject(widget), work_(std::move(work))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            deleteLater();
            work_();
        }
        return false;
    }

private:
    std::function<void()> work_;
};

} // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner)
{
    SetName("MainForm");
    MainForm = this;
    // Seeded once from the clock; tests script their own draws.
    RandomPosition = [generator = std::mt19937_64(static_cast<std::uint64_t>(
                          std::chrono::steady_clock::now().time_since_epoch().count()))](int count) mutable {
        return std::uniform_int_distribution<int>(0, count - 1)(generator);
    };
    CreateControls();
    ConnectHandlers();
    CreateTrayIcon();

    // The window as it is stored: a fixed client area with a system menu
    // and a minimize box, centred.
    SetCaption("Lumetra 2.0");
    Widget()->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    Widget()->setFixedSize(482, 311);
    Position = TPosition::poScreenCenter;
}

TMainForm::~TMainForm()
{
    // A quit request skips the close handler: the scheduler still stops
    // before anything it reaches goes.
    StopScheduler();
    if (MainForm == this) MainForm = nullptr;
}

String TMainForm::Msg(int line) const
{
    return line >= 0 && line < StrCollection.Count() ? StrCollection[line] : String();
}

void TMainForm::CreateControls()
{
    QWidget* w = Widget();
    // The status bar runs along the whole bottom edge; the rest has a margin.
    auto* window = new QVBoxLayout(w);
    window->setContentsMargins(0, 0, 0, 0);
    auto* outer = new QVBoxLayout;
    outer->setContentsMargins(8, 6, 8, 0);
    window->addLayout(outer);
    TopLine = NewLabel(w, "TopLine", "Configurações atuais");
    TopLine->setAlignment(Qt::AlignHCenter);
    QFont heading("DejaVu Sans");
    heading.setPixelSize(19);
    heading.setBold(true);
    TopLine->setFont(heading);
    outer->addWidget(TopLine);

    auto* grid = new QGridLayout;
    const struct {
        QLabel** caption;
        const char* captionName;
        const char* captionText;
        QLabel** value;
        const char* valueName;
        const char* design;
    } rows[] = {
        {&Label1, "Label1", "Atualização", &Atualization, "Atualization", "Update.....................N/D"},
        {&Label2, "Label2", "Ordem", &Order, "Order", "Order......................N/D"},
        {&Label3, "Label3", "Última atualização", &LastUpdate, "LastUpdate", "Last update................N/D"},
        {&Label4, "Label4", "Imagem atual", &CurrentImage, "CurrentImage", "Current image..............N/D"},
        {&Label5, "Label5", "Imagens disponíveis", &ImagesAvailable, "ImagesAvailable", "Images.....................N/D"},
        {&Label6, "Label6", "Arquivo em uso", &FileInUse, "FileInUse", "File in use................N/D"},
        {&Label7, "Label7", "Conexão", &ConType, "ConType", "Connection.................N/D"},
        {&Label8, "Label8", "Prioridade de download", &DownPriority, "DownPriority", "Down priority..............N/D"},
    };
    int row = 0;
    for (const auto& r : rows) {
        *r.caption = NewLabel(w, r.captionName, r.captionText);
        *r.value = NewLabel(w, r.valueName, r.design);
        grid->addWidget(*r.caption, row, 0);
        grid->addWidget(*r.value, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    outer->addLayout(grid);

    Image = NewLabel(w, "Image", "");
    Image->setFixedSize(231, 21);
    Image->setScaledContents(true);
    Image->setCursor(Qt::PointingHandCursor);
    outer->addWidget(Image, 0, Qt::AlignHCenter);

    StrCollection.Assign(WindowDataLines(":/agent/MainForm.StrCollection.txt"));

    auto* buttons = new QHBoxLayout;
    const struct {
        TVELButton** button;
        const char* name;
        const char* text;
    } pushes[] = {{&Btn_OK, "Btn_OK", "&Minimizar"}, {&Btn_Cancel, "Btn_Cancel", "&Cancelar"}, {&Btn_Close, "Btn_Close", "&Sair"}};
    buttons->addStretch();
    for (const auto& p : pushes) {
        *p.button = new TVELButton(this, w);
        (*p.button)->SetCaption(p.text);
        (*p.button)->setObjectName(p.name);
        (*p.button)->setFixedSize(75, 25);
        buttons->addWidget(*p.button);
    }
    outer->addLayout(buttons);
    outer->addStretch();

    ConStatus = std::make_unique<TStatusBar>(std::initializer_list<int>{150, 250});
    new WhenFirstShown(w, [this] { CreateShownParts(); });

    Popup = new TPopupMenu(this, w);
    Popup->SetName("Popup");
    QMenu* menu = Popup->Items();
    menu->setObjectName("Popup");
    Atualizaragora = Item(menu, "Atualizaragora", "Atualizar");
    Restaurar = Item(menu, "Restaurar", "Restaurar");
    Sobre = Item(menu, "Sobre", "Sobre...");
    BrackLine = menu->addSeparator();
    BrackLine->setObjectName("BrackLine");
    Sair = Item(menu, "Sair", "&Sair");
    N1 = menu->addSeparator();
    N1->setObjectName("N1");

    HTTPc = new TIdHTTP(this);
    HTTPc->SetName("HTTPc");
    HTTPc->RecvBufferSize = 57958;
    HTTPc->SendBufferSize = 29491;
    HTTPc->Host = "0.0.0.0";
    HTTPc->HandleRedirects = true;
    HTTPc->RedirectMaximum = 500;
    HTTPc->Request.Accept = "text/html, */*";
    HTTPc->Request.Connection = "disconnect";
    HTTPc->Request.UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
    HTTPc->EventSender = w;

    DialUp = new TDialUp(this);
    DialUp->SetName("DialUp");
    DialUp->DialMode = TDialMode::dmAsync;
    DialUp->Language = TLanguage::Portuguese;
    AppEvents = new TApplicationEvents(this);
    AppEvents->SetName("AppEvents");
    WinRegistry = new TWinRegistry(this);
    WinRegistry->SetName("WinRegistry");
    WinRegistry->HootKey = THootKey::HKEY_CURRENT_USER;
    WinRegistry->Path = "Software\\Velvane\\";
    WinRegistry->SetRegistryLines(WindowDataLines(":/agent/MainForm.RegistryLines.txt"));
    ICMP = new TIdIcmpClient(this);
    ICMP->SetName("ICMP");
    ICMP->BufferSize = 1;
    IPWatch = new TIdIPWatch(this);
    IPWatch->SetName("IPWatch");
    IPWatch->HistoryFilename = "iphist.dat";
    connection_ = std::make_unique<TConnectionCheck>(
        TConnectionParts{Cfg, *HTTPc, *ICMP, *IPWatch, *DialUp, [this] { return Host; }});
}

void TMainForm::CreateShownParts()
{
    // A banner fetched before the window shows stays.
    if (Image->pixmap().isNull()) Image->setPixmap(DesignBanner());

    // The status bar runs along the whole bottom edge, below the rest.
    auto* bar = new QStatusBar(Widget());
    static_cast<QBoxLayout*>(Widget()->layout())->addWidget(bar);
    bar->setSizeGripEnabled(false);
    // Silver, in bold type (a palette and a font: a style sheet would bring
    // its whole engine into a program that idles for hours).
    QPalette silver = bar->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    // Black on it under any scheme: a dark scheme's light text would not read.
    silver.setColor(QPalette::WindowText, Qt::black);
    bar->setPalette(silver);
    bar->setAutoFillBackground(true);
    QFont bold = bar->font();
    bold.setBold(true);
    bar->setFont(bold);
    ConStatus->PlaceIn(bar);
    bar->setObjectName("ConStatus");
    // In place before the window's first picture.
    bar->show();
    Widget()->layout()->activate();
}

void TMainForm::ConnectHandlers()
{
    OnCreate = [this](QObject* sender) { FormCreate(sender); };
    OnClose = [this](QObject* sender, TCloseAction& action) { FormClose(sender, action); };
    AppEvents->OnException = [this](TPersistent* sender, const Exception& e) { AppEventsException(sender, e); };
    DialUp->OnActiveConnection = [this](TComponent*, int handle, const TRasConnStatusA&, const String&,
                                        std::span<const char>, std::span<const char>, std::span<const char>) {
        DialUpActiveConnection(handle);
    };
    HTTPc->OnWorkBegin = [this](QObject* sender, TWorkMode mode, std::int64_t max) { HTTPcWorkBegin(sender, mode, max); };
    HTTPc->OnWork = [this](QObject* sender, TWorkMode mode, std::int64_t count) { HTTPcWork(sender, mode, count); };
    HTTPc->OnWorkEnd = [this](QObject* sender, TWorkMode mode) { HTTPcWorkEnd(sender, mode); };
    HTTPc->OnStatus = [this](QObject* sender, TIdStatus status, const String& text) { HTTPcStatus(sender, status, text); };
    HTTPc->OnConnected = [](QObject*) {};

    const auto on = [this](QAction* action, void (TMainForm::*handler)(QObject*)) {
        QObject::connect(action, &QAction::triggered, action, [this, action, handler] { (this->*handler)(action); });
    };
    on(Atualizaragora, &TMainForm::AtualizaragoraClick);
    on(Restaurar, &TMainForm::RestaurarClick);
    on(Sobre, &TMainForm::SobreClick);
    on(Sair, &TMainForm::SairClick);
    const auto click = [this](TVELButton* button, void (TMainForm::*handler)(QObject*)) {
        button->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
    };
    click(Btn_OK, &TMainForm::RestaurarClick);
    click(Btn_Cancel, &TMainForm::Btn_CancelClick);
    click(Btn_Close, &TMainForm::SairClick);
    SetOnClick(Image, [this](QObject* sender) { ImageClick(sender); });
    // The tray menu is the window's own popup menu too.
    Widget()->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(Widget(), &QWidget::customContextMenuRequested, Widget(),
                     [this](const QPoint& at) { Popup->Items()->popup(Widget()->mapToGlobal(at)); });
}

} // namespace velvane::agent
