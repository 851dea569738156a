// The main window's controls, menus and components, and which handler each
// one calls.

#include "editor/Main.h"

#include "components/controls/VELButton.h"
#include "dialogs/Unt_Progress.h"
#include "dialup/Connection.h"
#include "dialup/DialUp.h"
#include "editor/FileSet.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/forms/ControlEvents.h"
#include "platform/forms/FileDialogs.h"
#include "platform/forms/FormLook.h"
#include "browser/WebBrowser.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/net/IPWatch.h"
#include "platform/net/IcmpClient.h"
#include "editor/SpyConnection.h"
#include "settings/WinRegistry.h"
#include "settings/WindowData.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>

namespace velvane {

TMainForm* MainForm = nullptr;
TMemoryStream* DownloadStream = nullptr;

namespace {

TStringList ResourceLines(const char* name) { return WindowDataLines(String(":/editor/") + name); }

// A library button sized to its caption and a glyph of glyphSize pixels
// beside it.
TVELButton* Button(TMainForm* form, QToolBar* bar, const char* name, std::intptr_t tag, const char* text,
                   const char* hint, int glyphSize)
{
    auto* button = new TVELButton(form, bar);
    button->setObjectName(name);
    button->SetCaption(text);
    button->setToolTip(QString::fromUtf8(hint));
    button->Tag = tag;
    SetTag(button, tag);
    // Glyph and caption stand at the bottom left of the face.
    button->ButtonLayout().SetAlignment(TVELAlignment::agBottomLeft);
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas measure(scratch);
    measure.Font = button->Font();
    // Frame and margins: 6 pixels a side; the caption measures 2 wider.
    button->setFixedSize(measure.TextWidth(text) + glyphSize + 2 + 2 + 12 + 4, glyphSize + 12);
    bar->addWidget(button);
    return button;
}

QAction* Item(QMenu* menu, const char* name, const char* text, std::intptr_t tag = 0)
{
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(name);
    SetTag(action, tag);
    return action;
}

template <typename Handler>
void OnClick(TVELButton* button, TMainForm* form, Handler handler)
{
    button->OnClick = [form, handler](QObject* sender) { (form->*handler)(sender); };
}

template <typename Handler>
void OnClick(QAction* action, TMainForm* form, Handler handler)
{
    QObject::connect(action, &QAction::triggered, action, [form, handler, action] { (form->*handler)(action); });
}

} // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner, new QMainWindow)
{
    SetName("MainForm");
    MainForm = this;
    Window = static_cast<QMainWindow*>(Widget());
    CreateControls();
    LoadStoredImageList();
    ConnectHandlers();

    // The window as it is stored: centred, maximized, seeing keys first.
    SetCaption("Velvane 2.0");
    SetBounds(248, 33, 800, 600);
    Position = TPosition::poScreenCenter;
    SetWindowState(TWindowState::wsMaximized);
    KeyPreview = true;
}

TMainForm::~TMainForm()
{
    // The watch may still have a call pending on this thread that uses the
    // window: stop it while everything it uses is alive.
    SpyConnection.reset();
    if (FormProgress) FormProgress->SetParentWindow(nullptr);
    if (MainForm == this) MainForm = nullptr;
}

String TMainForm::Msg(int line) const { return MemoLine(Constants, line); }

void TMainForm::CreateControls()
{
    CoolBar = Window->addToolBar("CoolBar");
    CoolBar->setObjectName("CoolBar");
    CoolBar->setMovable(false);
    PaintFlat(CoolBar);
    Nav_Back = Button(this, CoolBar, "Nav_Back", 10, "Voltar", "Página anterior", 30);
    Nav_Next = Button(this, CoolBar, "Nav_Next", 11, "Avançar", "Próxima página", 30);
    Nav_Stop = Button(this, CoolBar, "Nav_Stop", 12, "Parar", "Parar", 30);
    Nav_Refresh = Button(this, CoolBar, "Nav_Refresh", 13, "Atualizar", "Atualizar", 30);
    Nav_Home = Button(this, CoolBar, "Nav_Home", 14, "Início", "Home", 30);
    CoolBar->addSeparator();
    File_Open = Button(this, CoolBar, "File_Open", 20, "Abrir", "Abrir arquivo", 30);
    File_Close = Button(this, CoolBar, "File_Close", 21, "Fechar", "Fechar arquivo", 30);
    File_Save = Button(this, CoolBar, "File_Save", 22, "Salvar", "Salvar", 30);
    File_New = Button(this, CoolBar, "File_New", 23, "Novo", "Novo arquivo", 30);
    Preview = Button(this, CoolBar, "Preview", 24, "Aplicar", "Aplicar imagem ao papel de parede", 30);
    File_Frame = Button(this, CoolBar, "File_Frame", 25, "Pastas", "Arquivos", 30);
    SetUp = Button(this, CoolBar, "SetUp", 26, "Configurações", "Configurações", 30);
    AppExit = Button(this, CoolBar, "AppExit", 27, "Sair", "Sair", 30);
    Banner = new QLabel(CoolBar);
    Banner->setObjectName("Banner");
    CoolBar->addWidget(Banner);

    Window->addToolBarBreak();
    QToolBar* addressBar = Window->addToolBar("AddressBar");
    addressBar->setObjectName("AddressBar");
    addressBar->setMovable(false);
    PaintFlat(addressBar);
    Nav_Url = new QComboBox(addressBar);
    Nav_Url->setObjectName("Nav_Url");
    Nav_Url->setEditable(true);
    Nav_Url->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SetTag(Nav_Url, 15);
    Nav_Url->setToolTip("Barra de navegação");
    addressBar->addWidget(Nav_Url);
    Nav_Go = Button(this, addressBar, "Nav_Go", 15, "Go", "Abrir documento", 19);
    Nav_AddToList = Button(this, addressBar, "Nav_AddToList", 16, "Ins", "Adicionar imagem", 19);

    auto* central = new QWidget(Window);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(central);
    splitter->setObjectName("Splitter");
    layout->addWidget(splitter);
    FileSet = new TFrame_FileSet(splitter);
    FileSet->resize(220, FileSet->height());
    Notebook = new QStackedWidget(splitter);
    Notebook->setObjectName("Notebook");
    Browser = new TWebBrowser(Notebook);
    Browser->setObjectName("Browser");
    Notebook->addWidget(Browser);
    CheckList = new QListWidget(Notebook);
    CheckList->setObjectName("CheckList");
    CheckList->setContextMenuPolicy(Qt::CustomContextMenu);
    Notebook->addWidget(CheckList);
    splitter->addWidget(FileSet);
    splitter->addWidget(Notebook);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 580});
    Constants = new QPlainTextEdit(central);
    Constants->setObjectName("Constants");
    Constants->setReadOnly(true);
    Constants->setVisible(false);
    SetMemoLines(Constants, ResourceLines("MainForm.Constants.txt"));
    Window->setCentralWidget(central);

    StatusBar = std::make_unique<TStatusBar>(Window->statusBar(), std::initializer_list<int>{222, 350});
    StatusBar->Bar()->setObjectName("StatusBar");
    StatusBar->SetPanel(0, "Procurando conexão...");

    QMenuBar* menus = Window->menuBar();
    QMenu* files = menus->addMenu("&Arquivos");
    Novo = Item(files, "Novo", "&Novo");
    Abrir = Item(files, "Abrir", "&Abrir...");
    Salvar = Item(files, "Salvar", "&Salvar");
    SalvarComo = Item(files, "SalvarComo", "Salvar &como...");
    Fechar = Item(files, "Fechar", "&Fechar");
    files->addSeparator();
    Pastasarquvos1 = Item(files, "Pastasarquvos1", "Pastas e arquivos");
    files->addSeparator();
    Sair = Item(files, "Sair", "Sai&r");
    QMenu* navigator = menus->addMenu("&Navegador");
    Anterior = Item(navigator, "Anterior", "Anterior", 0);
    Prximo = Item(navigator, "Prximo", "Próximo", 1);
    Parar = Item(navigator, "Parar", "Parar", 2);
    Atualizar = Item(navigator, "Atualizar", "Atualizar", 3);
    Home = Item(navigator, "Home", "Home", 4);
    Configuracoes = menus->addAction("Configurações");
    Configuracoes->setObjectName("Configuracoes");
    AplicarImage = menus->addAction("Aplicar imagem...");
    AplicarImage->setObjectName("AplicarImage");
    Temas = menus->addMenu("Temas");
    Temas->setObjectName("Temas");
    QMenu* help = menus->addMenu("Ajuda");
    Kestrin_Help = Item(help, "Kestrin_Help", "Ajuda...");
    Sobre1 = Item(help, "Sobre1", "Sobre...");

    PopupMenu = new QMenu(Window);
    PopupMenu->setObjectName("PopupMenu");
    MoverParaCima = Item(PopupMenu, "MoverParaCima", "Mover para cima", 0);
    MoverParaBaixo = Item(PopupMenu, "MoverParaBaixo", "Mover para baixo", 1);
    ImagePreview = Item(PopupMenu, "ImagePreview", "Visualizar");
    Excluir = Item(PopupMenu, "Excluir", "Excluir");
    Organizar = Item(PopupMenu, "Organizar", "Organizar");
    ImageApplly = Item(PopupMenu, "ImageApplly", "Aplicar ao papel de parede");
    CompartilharImagem = Item(PopupMenu, "CompartilharImagem", "Compartilhar imagem");

    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->SetName("ApplicationEvents");
    OpenDlg = new TOpenDialog(this);
    OpenDlg->SetName("OpenDlg");
    SaveDlg = new TSaveDialog(this);
    SaveDlg->SetName("SaveDlg");
    for (TOpenDialog* dialog : {OpenDlg, static_cast<TOpenDialog*>(SaveDlg)}) {
        dialog->DefaultExt = "vnx";
        dialog->Filter = "Velvane (*.vnx)|*.vnx";
    }
    WinRegistry = new TWinRegistry(this);
    WinRegistry->SetName("WinRegistry");
    WinRegistry->HootKey = THootKey::HKEY_CURRENT_USER;
    WinRegistry->Path = "Software\\Velvane\\";
    WinRegistry->SetRegistryLines(ResourceLines("MainForm.RegistryLines.txt"));

    HTTPc = new TIdHTTP(this);
    HTTPc->SetName("HTTPc");
    HTTPc->RecvBufferSize = 57958;
    HTTPc->SendBufferSize = 29491;
    HTTPc->Host = "0.0.0.0";
    HTTPc->HandleRedirects = true;
    HTTPc->Request.Accept = "text/html,*/*";
    HTTPc->Request.Connection = "close";
    HTTPc->Request.ProxyPort = 80;
    HTTPc->Request.UserAgent = "Mozilla/3.0 (compatible; Velvane 2.0";

    HTTPc->EventSender = Window;
    HTTPc->OnWorkBegin = [this](QObject* sender, TWorkMode mode, std::int64_t max) { HTTPcWorkBegin(sender, mode, max); };
    HTTPc->OnWork = [this](QObject* sender, TWorkMode mode, std::int64_t count) { HTTPcWork(sender, mode, count); };
    HTTPc->OnWorkEnd = [this](QObject* sender, TWorkMode mode) { HTTPcWorkEnd(sender, mode); };

    ICMP = new TIdIcmpClient(this);
    ICMP->SetName("ICMP");
    ICMP->BufferSize = 1;
    IdIPWatch = new TIdIPWatch(this);
    IdIPWatch->SetName("IdIPWatch");
    IdIPWatch->HistoryFilename = "iphist.dat";
    // The address history is a record: a folder that cannot take it is told
    // once and does not make the machine offline.
    IdIPWatch->OnHistoryError = [this](QObject*, const Exception& e) { ReportError(e); };
    DialUp = new TDialUp(this);
    DialUp->SetName("DialUp");
    DialUp->DialMode = TDialMode::dmAsync;
    DialUp->Language = TLanguage::Portuguese;
    DialUp->OnActiveConnection = [this](TComponent*, int handle, const TRasConnStatusA&, const String&,
                                        std::span<const char>, std::span<const char>, std::span<const char>) {
        DialUpActiveConnection(handle);
    };
    connection_ = std::make_unique<TConnectionCheck>(TConnectionParts{
        Cfg, *HTTPc, *ICMP, *IdIPWatch, *DialUp, [this] { return NetConnection ? NetConnection->Host : String(); }});
}

void TMainForm::ConnectHandlers()
{
    OnCreate = [this](QObject* sender) { FormCreate(sender); };
    OnClose = [this](QObject* sender, TCloseAction& action) { FormClose(sender, action); };
    ApplicationEvents->OnException = [this](TPersistent* sender, const Exception& e) {
        ApplicationEventsException(sender, e);
    };

    OnClick(AppExit, this, &TMainForm::SairClick);
    OnClick(Sair, this, &TMainForm::SairClick);
    OnClick(File_New, this, &TMainForm::NovoClick);
    OnClick(Novo, this, &TMainForm::NovoClick);
    OnClick(File_Open, this, &TMainForm::AbrirClick);
    OnClick(Abrir, this, &TMainForm::AbrirClick);
    OnClick(File_Save, this, &TMainForm::SalvarClick);
    OnClick(Salvar, this, &TMainForm::SalvarClick);
    OnClick(SalvarComo, this, &TMainForm::SalvarComoClick);
    OnClick(File_Close, this, &TMainForm::FecharClick);
    OnClick(Fechar, this, &TMainForm::FecharClick);
    OnClick(Excluir, this, &TMainForm::ImageDeleteClick);
    OnClick(MoverParaCima, this, &TMainForm::MoveToDownClick);
    OnClick(MoverParaBaixo, this, &TMainForm::MoveToDownClick);
    OnClick(Organizar, this, &TMainForm::Organizar1Click);
    OnClick(Preview, this, &TMainForm::ApllyClick);
    OnClick(AplicarImage, this, &TMainForm::ApllyClick);
    OnClick(ImageApplly, this, &TMainForm::ApllyClick);
    OnClick(ImagePreview, this, &TMainForm::ImagePreviewClick);
    OnClick(File_Frame, this, &TMainForm::File_FrameClick);
    OnClick(SetUp, this, &TMainForm::SetUpClick);
    OnClick(Configuracoes, this, &TMainForm::SetUpClick);
    OnClick(Pastasarquvos1, this, &TMainForm::File_FrameClick);
    OnClick(Kestrin_Help, this, &TMainForm::Kestrin_HelpClick);
    OnClick(Sobre1, this, &TMainForm::Sobre1Click);
    OnClick(CompartilharImagem, this, &TMainForm::CompartilharImagemClick);
    for (TVELButton* nav : {Nav_Back, Nav_Next, Nav_Stop, Nav_Refresh, Nav_Home, Nav_Go, Nav_AddToList})
        OnClick(nav, this, &TMainForm::Nav_BackClick);
    for (QAction* item : {Anterior, Prximo, Parar, Atualizar, Home}) OnClick(item, this, &TMainForm::AnteriorClick);
    for (QWidget* control : {static_cast<QWidget*>(Nav_Back), static_cast<QWidget*>(Nav_Next),
                             static_cast<QWidget*>(Nav_Stop), static_cast<QWidget*>(Nav_Refresh),
                             static_cast<QWidget*>(Nav_Home), static_cast<QWidget*>(Nav_Url)})
        SetOnEnter(control, [this](QObject* sender) { Nav_BackEnter(sender); });
    for (QWidget* control : {static_cast<QWidget*>(FileSet->DriveList), static_cast<QWidget*>(FileSet->DirList),
                             static_cast<QWidget*>(FileSet->FileList)})
        SetOnEnter(control, [this](QObject* sender) { FileSetFileListEnter(sender); });
    for (TVELButton* button : CoolBar->findChildren<TVELButton*>())
        SetOnMouseMove(button, [this](QObject* sender) { Nav_BackMouseMove(sender); });
    for (TVELButton* button : {Nav_Go, Nav_AddToList})
        SetOnMouseMove(button, [this](QObject* sender) { Nav_BackMouseMove(sender); });
    // The navigation buttons take the focus when clicked, which brings the
    // browser page to the front before they act on it.
    for (TVELButton* button : {Nav_Back, Nav_Next, Nav_Stop, Nav_Refresh, Nav_Home})
        button->setFocusPolicy(Qt::StrongFocus);
    OnKeyUp = [this](QObject* sender, int& key) { FormKeyUp(sender, key); };
    SetOnClick(Banner, [this](QObject* sender) { BannerClick(sender); });
    SetOnClick(StatusBar->Bar(), [this](QObject* sender) { StatusBarClick(sender); });
    Browser->OnDownloadBegin = [this](QObject* sender) { BrowserDownloadBegin(sender); };
    Browser->OnProgressChange = [this](QObject* sender, int p, int max) { BrowserProgressChange(sender, p, max); };
    Browser->OnDownloadComplete = [this](QObject* sender) { BrowserDownloadComplete(sender); };
    Browser->OnDocumentComplete = [this](QObject* sender, const String& url) { BrowserDocumentComplete(sender, url); };
    Browser->OnStatusTextChange = [this](QObject* sender, const String& text) { BrowserStatusTextChange(sender, text); };

    QObject::connect(FileSet->FileList, &QListWidget::itemDoubleClicked, FileSet->FileList,
                     [this](QListWidgetItem*) { Frame_FileSet1FileListDblClick(FileSet->FileList); });
    QObject::connect(CheckList, &QListWidget::itemDoubleClicked, CheckList,
                     [this](QListWidgetItem*) { Frame_FileSet1FileListDblClick(CheckList); });
    SetOnKeyUp(FileSet->FileList, [this](QObject* sender, int& key) { FileSetFileListKeyUp(sender, key); });

    QObject::connect(CheckList, &QListWidget::itemChanged, CheckList, [this](QListWidgetItem*) {
        CheckListClickCheck(CheckList);
    });
    SetOnKeyUp(CheckList, [this](QObject* sender, int& key) { CheckListKeyUp(sender, key); });
    QObject::connect(CheckList, &QListWidget::customContextMenuRequested, CheckList, [this](const QPoint& at) {
        PopupMenu->popup(CheckList->viewport()->mapToGlobal(at));
    });
}

} // namespace velvane
