// Start-up, exit and the application-wide error handler of the editor.

#include "editor/Main.h"

#include "dialogs/Unt_Progress.h"
#include "editor/NetConnection.h"
#include "editor/SpyConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "browser/WebBrowser.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/TempFiles.h"
#include "platform/win/WinError.h"
#include "settings/SettingsFile.h"

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

namespace velvane {

namespace {

TThreadPriority PriorityFor(std::uint16_t setting)
{
    switch (setting) {
    case 0: return TThreadPriority::tpLowest;
    case 1: return TThreadPriority::tpLower;
    case 3: return TThreadPriority::tpHigher;
    default: return TThreadPriority::tpNormal;
    }
}

} // namespace

void TMainForm::Guarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TMainForm::FormCreate(QObject*)
{
    DownloadStream = new TMemoryStream;
    WorkBitmap = std::make_unique<TBitmap>();
    WallPaper = std::make_unique<TWallPaper>(this);
    NetConnection = std::make_unique<TNetConnection>(this);
    WallPaper->Busy = false;
    NetConnection->Busy = false;
    Busy = false;
    Themes = std::make_unique<TStringList>();
    WallPaperFile = GetAppFilePath() + "wallpaper.bmp";

    // Each step stands on its own: a value missing from the registry (the
    // first start) or a document that cannot be read does not keep the later
    // steps from running.
    Cfg.cfg_ConType = 0;
    Guarded([this] { UpdateSetings(); });
    WallPaper->SetPriority(PriorityFor(Cfg.cfg_Priority));
    NetConnection->SetPriority(WallPaper->Priority());
    // What a killed run left half-written goes before anything is read.
    RemoveStaleTempFilesAtStart(Cfg.cfg_FileInUse);
    if (!Cfg.cfg_FileInUse.empty()) {
        Guarded([this] {
            LoadImageList(Cfg.cfg_FileInUse);
            SetCaption(DocumentCaption());
            // The reopened document is what the window shows, not the empty
            // browser page (the home page, once known, brings that forward).
            Notebook->setCurrentIndex(1);
        });
    }
    // The local settings file and the banner. Neither exists before the
    // first download: that is a normal start, not an error.
    Guarded([this] {
        const String file = GetAppFilePath() + "kestrin.net";
        if (!FileExists(file)) return;
        TStringList lines;
        SetSettingsText(lines, ReadFileBytes(file));
        NetConnection->TakeLocalKeys(lines);
    });
    Banner->setToolTip(QString::fromStdString(NetConnection->BannerHint));
    Guarded([this] {
        const String file = GetAppFilePath() + "banner.jpg";
        if (!FileExists(file)) return;
        TJPEGImage banner;
        banner.LoadFromFile(file);
        Banner->setPixmap(QPixmap::fromImage(banner.Image()));
    });

    if (WatchConnection) {
        SpyConnection = std::make_unique<TSpyConnection>(this);
        SpyConnection->SetPriority(WallPaper->Priority());
        SpyConnection->Resume();
    }
}

void TMainForm::FormClose(QObject*, TCloseAction& action)
{
    // A download under way still uses what closing frees: stop it, and close
    // once its job has let go.
    if ((WallPaper && WallPaper->Busy) || (NetConnection && NetConnection->Busy) || Busy) {
        action = TCloseAction::caNone;
        HTTPc->Disconnect();
        QTimer::singleShot(50, Widget(), [this] { Close(); });
        return;
    }
    // However the window is closed, changes to the document are offered for
    // saving first.
    if (Modified && !changesDropped_ && !QuerySaveChanges()) {
        action = TCloseAction::caNone;
        return;
    }
    if (Cfg.cfg_FileInUse.empty() && MessageDlg(Msg(7), TMsgDlgType::mtWarning, mbYesNo) == mrNo) {
        action = TCloseAction::caNone;
        changesDropped_ = false;
        return;
    }
    AppExit->setToolTip(QString::fromStdString(Msg(77)));
    SetCursor(TCursor::crHourGlass);
    // The watch starts nothing more, not even from the messages served now.
    if (SpyConnection) SpyConnection->Terminate();
    if (Application) Application->ProcessMessages();

    // The watch stops before what it reads goes away; waiting for it still
    // serves a call it has pending on this thread.
    SpyConnection.reset();
    // The progress box lives on after the window it was shown in.
    if (FormProgress) FormProgress->SetParentWindow(nullptr);
    delete DownloadStream;
    DownloadStream = nullptr;
    WorkBitmap.reset();
    Themes.reset();
    NetConnection.reset();
    WallPaper.reset();

    // A settings store that cannot be written is reported, but does not keep
    // the program from ending.
    Guarded([this] { UpdateWinRegistry(nullptr); });
    action = TCloseAction::caFree;
}

bool TMainForm::QuerySaveChanges()
{
    switch (MessageDlg(Msg(20), TMsgDlgType::mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        SalvarClick(nullptr);
        return !Modified;  // the save was cancelled or failed: stay
    case mrNo:
        changesDropped_ = true;
        return true;
    default:
        return false;
    }
}

void TMainForm::SairClick(QObject*)
{
    if (Modified && !QuerySaveChanges()) return;
    Close();
    HTTPc->Disconnect();
}

void TMainForm::ApplicationEventsException(TPersistent*, const Exception& e)
{
    HTTPc->Disconnect();
    if (NetConnection) NetConnection->Busy = false;
    if (WallPaper) WallPaper->Busy = false;
    Busy = false;
    ApplyCursor(CheckList, TCursor::crDefault);
    ApplyCursor(Browser, TCursor::crDefault);

    ReportError(e);
}

void TMainForm::ReportError(const Exception& e)
{
    auto code = static_cast<std::int32_t>(GetLastError());
    String text = Format(Msg(18), {Msg(19), code, e.Message(), "\r"});
    if (code > 0 && code != static_cast<std::int32_t>(WSAEADDRNOTAVAIL) &&
        code != static_cast<std::int32_t>(WSAEHOSTUNREACH))
        MessageDlg(text, TMsgDlgType::mtError, mbOK);
}

} // namespace velvane
