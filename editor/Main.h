#pragma once
// The editor's main window: documents, settings, and the frame every command
// of the editor hangs on. Every text it shows comes from its message table
// Constants, by line.

#include "components/controls/VELButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/StatusBar.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "settings/ShareMisc.h"

#include <atomic>
#include <bitset>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QToolBar;

namespace velvane {

class TApplicationEvents;
class TBitmap;
class TConnectionCheck;
class TDialUp;
class TIdIcmpClient;
class TIdIPWatch;
class TSpyConnection;
class TWebBrowser;
class TFrame_FileSet;
class TIdHTTP;
class TNetConnection;
class TOpenDialog;
class TSaveDialog;
class TVELImageList;
class TWallPaper;
class TWinRegistry;

inline constexpr char kEditorVersion[] = "2.0.0.5";

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;
    const char* ClassName() const override { return "TMainForm"; }

    // The message table line; lines past the end read empty.
    String Msg(int line) const;

    // Controls (Qt widgets named as the components they stand for).
    QMainWindow* Window = nullptr;
    QToolBar* CoolBar = nullptr;
    TVELButton *Nav_Back = nullptr, *Nav_Next = nullptr, *Nav_Stop = nullptr, *Nav_Refresh = nullptr,
                *Nav_Home = nullptr;
    TVELButton *File_Open = nullptr, *File_Close = nullptr, *File_Save = nullptr, *File_New = nullptr;
    TVELButton *Preview = nullptr, *File_Frame = nullptr, *SetUp = nullptr, *AppExit = nullptr;
    QLabel* Banner = nullptr;
    QComboBox* Nav_Url = nullptr;
    TVELButton *Nav_Go = nullptr, *Nav_AddToList = nullptr;
    TFrame_FileSet* FileSet = nullptr;
    QStackedWidget* Notebook = nullptr;
    TWebBrowser* Browser = nullptr;
    QListWidget* CheckList = nullptr;
    std::unique_ptr<TStatusBar> StatusBar;
    QPlainTextEdit* Constants = nullptr;

    // Menus.
    QAction *Novo = nullptr, *Abrir = nullptr, *Salvar = nullptr, *SalvarComo = nullptr, *Fechar = nullptr,
            *Pastasarquvos1 = nullptr, *Sair = nullptr;
    QAction *Anterior = nullptr, *Prximo = nullptr, *Parar = nullptr, *Atualizar = nullptr, *Home = nullptr;
    QAction *Configuracoes = nullptr, *AplicarImage = nullptr, *Kestrin_Help = nullptr, *Sobre1 = nullptr;
    QMenu* Temas = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction *MoverParaCima = nullptr, *MoverParaBaixo = nullptr, *ImagePreview = nullptr, *Excluir = nullptr,
            *Organizar = nullptr, *ImageApplly = nullptr, *CompartilharImagem = nullptr;

    // Components.
    TApplicationEvents* ApplicationEvents = nullptr;
    TOpenDialog* OpenDlg = nullptr;
    TSaveDialog* SaveDlg = nullptr;
    TWinRegistry* WinRegistry = nullptr;
    TIdHTTP* HTTPc = nullptr;
    TIdIcmpClient* ICMP = nullptr;
    TIdIPWatch* IdIPWatch = nullptr;
    TDialUp* DialUp = nullptr;
    // The buttons' pictures, read from the window's stored form.
    TVELImageList* ImageList = nullptr;

    // State.
    std::unique_ptr<TWallPaper> WallPaper;
    std::unique_ptr<TNetConnection> NetConnection;
    std::unique_ptr<TSpyConnection> SpyConnection;
    std::atomic<bool> Busy{false};  // the preview is running
    std::unique_ptr<TBitmap> WorkBitmap;
    TConfig Cfg;
    std::unique_ptr<TStringList> Themes;
    bool Modified = false;
    int SavedItemIndex = -1;

    // Start-up, exit and the application-wide error handler.
    void FormCreate(QObject* sender);
    void FormClose(QObject* sender, TCloseAction& action);
    void SairClick(QObject* sender);
    void ApplicationEventsException(TPersistent* sender, const Exception& e);
    // Shows an error as the error handler does (only real system errors),
    // without touching the jobs: for errors that stop nothing.
    void ReportError(const Exception& e);

    // Documents.
    void SaveImageList(const String& path);
    void LoadImageList(const String& path);
    String DocumentCaption() const;
    void NovoClick(QObject* sender);
    void AbrirClick(QObject* sender);
    void SalvarClick(QObject* sender);
    void SalvarComoClick(QObject* sender);
    void FecharClick(QObject* sender);
    void CheckListClickCheck(QObject* sender);
    void CheckListKeyUp(QObject* sender, int& key);
    void ImageDeleteClick(QObject* sender);
    void MoveToDownClick(QObject* sender);
    void Organizar1Click(QObject* sender);
    // Adds an entry (its bytes as the document holds them), in order once
    // the list is sorted; it is not a change of the document by itself.
    QListWidgetItem* AddEntry(const String& entry, bool checked);
    // Whether the user's new entry can be kept in a document; when not, says
    // so in a box.
    bool EntryFits(const String& entry);

    // Apply and preview.
    void ApllyClick(QObject* sender);
    void Frame_FileSet1FileListDblClick(QObject* sender);
    void FileSetFileListKeyUp(QObject* sender, int& key);
    void ImagePreviewClick(QObject* sender);
    // Shows or hides the file pane.
    void File_FrameClick(QObject* sender);
    // What the last preview could not do (messages 8, 9 or 10); empty when
    // it went well.
    String PreviewError;

    // Settings.
    void UpdateSetings();
    void UpdateWinRegistry(QObject* sender);
    void SetUpClick(QObject* sender);
    // Records a picture this window made the wallpaper: the time, and the
    // entry and its row when it came from the list (row -1: it did not).
    // The values the agent writes too are saved only when recorded here.
    void RecordApplied(TDateTime when, int row, const String& entry);

    // Browser page, address box, hints, help, about and share.
    void Nav_BackClick(QObject* sender);
    void AnteriorClick(QObject* sender);
    void Nav_BackEnter(QObject* sender);
    void FileSetFileListEnter(QObject* sender);
    void Nav_BackMouseMove(QObject* sender);
    void FormKeyUp(QObject* sender, int& key);
    void BrowserDownloadBegin(QObject* sender);
    void BrowserProgressChange(QObject* sender, int progress, int progressMax);
    void BrowserDownloadComplete(QObject* sender);
    void BrowserDocumentComplete(QObject* sender, const String& url);
    void BrowserStatusTextChange(QObject* sender, const String& text);
    void BannerClick(QObject* sender);
    void Kestrin_HelpClick(QObject* sender);
    void Sobre1Click(QObject* sender);
    void CompartilharImagemClick(QObject* sender);

    // Download feedback.
    void HTTPcWorkBegin(QObject* sender, TWorkMode mode, std::int64_t countMax);
    void HTTPcWork(QObject* sender, TWorkMode mode, std::int64_t count);
    void HTTPcWorkEnd(QObject* sender, TWorkMode mode);

    // Settings file and themes.
    void SetMenuThemes();
    void ThemesClick(QObject* sender);
    // Opens an address the settings file gave in the browser page, when it
    // is a web address; anything else is refused with a status text.
    void OpenSettingsAddress(const String& address);

    // Connection.
    void CheckConnection();
    void SetConnection();
    void ProxyIEKey();
    void DialUpActiveConnection(int handle);
    void UpDateStatusBar();
    void StatusBarClick(QObject* sender);
    // Whether the window starts its connection watch (tests that drive the
    // window by hand turn it off).
    static inline bool WatchConnection = true;

private:
    void CreateControls();
    void ConnectHandlers();
    // Reads ImageList from the stored form and shows its pictures on the
    // buttons.
    void LoadStoredImageList();
    // UpdateSetings' reads, line by line.
    void ReadSettingsLines();
    // Runs one start-up or close step; an error goes to the error handler
    // and the next step still runs.
    void Guarded(const std::function<void()>& step);
    // Asks line 20 about a modified document: false when the user cancels
    // (or chose to save and the save did not happen).
    bool QuerySaveChanges();
    void DeleteSelectedEntry();
    // Closes the document, offering to save it first; false when the user
    // wanted it saved and the save did not happen.
    bool CloseDocument();

    // Which of the lines the agent writes too (the current picture, its row,
    // the time of the change) this window changed since it read or saved them.
    std::bitset<22> sharedChanged_;
    bool changesDropped_ = false;  // the user said No to saving on exit
    bool sorted_ = false;          // "Organizar": entries are added in order
    std::unique_ptr<TConnectionCheck> connection_;
};

// Image-list entries are bytes: a file name need not be UTF-8. The list
// shows them decoded (UTF-8, else the Windows code page) and keeps the bytes.
QString EntryDisplay(const String& entry);
String EntryText(const QListWidgetItem* item);
// The same entry, letter case ignored.
bool SameEntry(const QListWidgetItem* item, const String& entry);

// A theme page's address: lower case (A to Z), no menu marks ("&"), blanks
// as "_", and the accented letters of the theme names folded, capitals too.
String ThemeAddress(const String& address);

// The main window, through which the other units reach it.
extern TMainForm* MainForm;
// The stream shared by the downloads; exists while the main window does.
extern TMemoryStream* DownloadStream;

} // namespace velvane
