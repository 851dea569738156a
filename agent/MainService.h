#pragma once
// The tray agent's one window ("Lumetra"): start-up and shutdown, the
// settings it reads and the four it writes back, the status labels, the menu
// of enabled images, the handlers, and the error handler that recovers from
// failed wallpaper jobs. Every text it shows comes from its message table
// StrCollection, by line.

#include "components/controls/VELButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/StatusBar.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TickClock.h"
#include "settings/ShareMisc.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace velvane {
class TApplicationEvents;
class TPopupMenu;
class TVELTrayIcon;
class TBitmap;
class TConnectionCheck;
class TDialUp;
class TIdIcmpClient;
class TIdIPWatch;
class TWinRegistry;
} // namespace velvane

namespace velvane::agent {

class TActionManager;
class TWallPaper;

inline constexpr char kAgentVersion[] = "2.0.0.4";

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;
    const char* ClassName() const override { return "TMainForm"; }

    // The message table line; lines past the end read empty.
    String Msg(int line) const;

    // Controls.
    QLabel* TopLine = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
           *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
    QLabel *ConType = nullptr, *Atualization = nullptr, *Order = nullptr, *LastUpdate = nullptr,
           *CurrentImage = nullptr, *ImagesAvailable = nullptr, *FileInUse = nullptr, *DownPriority = nullptr;
    QLabel* Image = nullptr;  // the mini banner
    // The hidden message table: its lines only, since a text control would
    // load the fonts at start for a table no one sees.
    TStringList StrCollection;
    TVELButton *Btn_OK = nullptr, *Btn_Cancel = nullptr, *Btn_Close = nullptr;
    std::unique_ptr<TStatusBar> ConStatus;
    TPopupMenu* Popup = nullptr;  // the tray's and the window's menu
    QAction *Atualizaragora = nullptr, *Restaurar = nullptr, *Sobre = nullptr, *BrackLine = nullptr, *Sair = nullptr,
            *N1 = nullptr;

    // Components.
    TIdHTTP* HTTPc = nullptr;
    TDialUp* DialUp = nullptr;
    TApplicationEvents* AppEvents = nullptr;
    TWinRegistry* WinRegistry = nullptr;
    TIdIcmpClient* ICMP = nullptr;
    TIdIPWatch* IPWatch = nullptr;
    TVELTrayIcon* TrayIcon = nullptr;

    // State.
    TConfig Cfg;
    std::unique_ptr<TWallPaper> WallPaper;
    std::unique_ptr<TActionManager> ActionManager;
    std::unique_ptr<TMemoryStream> DownloadStream;
    std::unique_ptr<TStringList> EnabledImages;  // the checked entries, in document order
    String NetFile, BannerUrl, MiniBanner, HomeUrl, Host, MailTo, WallpaperMessage, DefaultImage;
    std::atomic<bool> SettingsBusy{false};  // the settings download runs
    // Draws a position from 0 to count - 1 for random order.
    std::function<int(int count)> RandomPosition;

    // Start-up, display and shutdown.
    void FormCreate(QObject* sender);
    void FormClose(QObject* sender, TCloseAction& action);
    void LoadRegistry();
    void UpdateWinRegistry();
    void UpdateDisplay();

    // Window and menu handlers.
    void RestaurarClick(QObject* sender);
    void SobreClick(QObject* sender);
    void AtualizaragoraClick(QObject* sender);
    void MenuItemAction(QObject* sender);
    void ImageClick(QObject* sender);
    void SairClick(QObject* sender);
    void Btn_CancelClick(QObject* sender);

    // What the scheduler has the main thread do.
    void CheckConnection();
    void SetConnection();
    void DialUpActiveConnection(int handle);
    // Fetches the settings when they are missing on this connection.
    void LoadServerSettings();
    bool DownloadSetup();
    void CheckSchedule();
    void UpDateConStatus();
    // Runs the wallpaper job now.
    void ApplyUpdate(QObject* sender);
    void SetImageAndPos();
    void SetDataTimeOnConfig();
    // A job (with the handling of its failure), or the settings download,
    // runs.
    bool JobRunning() const;

    // The job's overlay, and the error handler with its recoveries.
    bool DrawWallpaperOverlay(TBitmap& bitmap);
    void AppEventsException(TPersistent* sender, const Exception& e);
    // A job that failed in a way the handler recovers from hands its error
    // here, after it has let go of everything.
    void HandJobError(std::unique_ptr<Exception> error);
    // A job's course, told by the job: it starts (one that no recovery
    // started begins a new chain), it has an entry to apply, the entry's
    // picture became the wallpaper (its name, position and time are kept for
    // the next write-back), it ended. A chain that chose an entry and
    // applied none is told in the status bar until the next job starts, and
    // makes the automatic runs wait longer each time.
    void JobStarting();
    void EntryChosen();
    void PictureApplied(const String& entry);
    void JobEnded();
    // Whether an automatic run may start now.
    bool RetryDue() const;
    // Steps through the list in order while the entry is a web address;
    // the entry it stops at, or nothing once the user has been told that no
    // local picture is left (the order setting is the caller's to restore).
    std::optional<String> NextLocalEntry(const String& from);

    // Download feedback.
    void HTTPcWorkBegin(QObject* sender, TWorkMode mode, std::int64_t countMax);
    void HTTPcWork(QObject* sender, TWorkMode mode, std::int64_t count);
    void HTTPcWorkEnd(QObject* sender, TWorkMode mode);
    void HTTPcStatus(QObject* sender, TIdStatus status, const String& text);

    // Whether start-up resumes the scheduler (tests that drive the window by
    // hand turn it off).
    static inline bool RunScheduler = true;

    // Asks the program to end; the scheduler starts no further cycle.
    void RequestQuit();
    bool QuitRequested() const { return quitRequested_; }

    // The icon in the notification area is active from the window's
    // creation, so the window starts hidden there. Where the desktop has no
    // area (TrayDocked false) the window shows instead, "Minimizar"
    // minimizes it and its close box closes it.
    bool TrayDocked() const;

private:
    void CreateControls();
    // What only a shown window needs, made when it first shows: the status
    // bar and the design banner measure and draw text, which loads the
    // fonts, and the window may stay hidden behind its icon all day.
    void CreateShownParts();
    void CreateTrayIcon();
    void ConnectHandlers();
    void TakeEnabledImages(const TStrings& lines);
    void ReadLocalSettings();
    void StopScheduler();
    // Runs a job for a recovery, with forced as its entry (none: the next
    // one); false once the chain has had its share.
    bool RecoveryJob(const String& forced);

    std::unique_ptr<TConnectionCheck> connection_;
    // A job applied a picture and set its name, position and time since the
    // last write-back: only then are they written, so a picture the editor
    // applied meanwhile is never overwritten by the agent's old copy.
    bool appliedSet_ = false;
    // The position of the last failed picture, which only the agent keeps,
    // as last read from or written to the store; none when never read.
    std::optional<std::int32_t> savedLastImageError_;
    // Stands for a value the store has never held: unlike any the agent sets,
    // so the next write-back stores it.
    static constexpr std::int32_t kNeverStored = INT32_MIN;
    std::atomic<bool> quitRequested_{false};
    bool setupTried_ = false;        // the settings were asked for on this connection
    int recoveryJobs_ = 0;           // jobs the handler ran for the current chain
    bool inRecovery_ = false;        // the handler runs a job
    // HandJobError's loop runs: the chain is still going (its boxes may be
    // open) and no other job may start inside it. Read by the scheduler.
    std::atomic<bool> handlingJobError_{false};
    bool chainChose_ = false, chainApplied_ = false;  // of the current chain
    bool failureStanding_ = false;   // the status bar tells a failed chain
    int failedRuns_ = 0;             // chains in a row that applied nothing
    // The earliest automatic run, on the tick clock: setting the date or
    // time back must not hold the runs for as long. None: at once.
    std::optional<TTickClock::time_point> retryAt_;
    // Shows an error line unless the last system error is 0 or 10049.
    void TellError(const String& message);
    std::unique_ptr<Exception> nextJobError_;
};

// The window's display form of a path or address: "..." and the text, only
// its last component when longer than 36 characters, without drive letter.
String ShortPath(const String& s);

// Draws the mini banner at (10, 10) when its file exists, and the text below
// it (or at (10, 10) without one) in bold 9 points on a box of the colour
// found at (16, 52): black text when that colour's blue is 128 or more,
// white otherwise.
void DrawOverlay(TBitmap& bitmap, const String& text, const String& miniBannerFile);

extern TMainForm* MainForm;
// The bitmap every picture is converted into.
TBitmap& WorkBitmap();
// The entry the next job applies instead of the next one; empty when none.
extern String ForcedImage;
// The text drawn on the next wallpaper instead of the server's message.
extern String OverlayMessage;
// A connection came up and the per-connection mode has not applied for it.
extern std::atomic<bool> ConnectEvent;
// The server's settings were fetched on the current connection.
extern std::atomic<bool> SettingsLoaded;

} // namespace velvane::agent
