// What the scheduler has the main thread do: the connection check, the
// settings download, the schedule and the status bar; and what the window
// shows while a download runs.

#include "agent/MainService.h"

#include "agent/ActionManager.h"
#include "agent/WallPaper.h"
#include "dialogs/Unt_Progress.h"
#include "dialup/Connection.h"
#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"
#include "settings/HttpResultTexts.h"
#include "settings/PictureToWallpaper.h"
#include "settings/SettingsFile.h"
#include "settings/TransferLimits.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>

namespace velvane::agent {

void TMainForm::CheckConnection()
{
    if (!connection_->CheckConnection()) return;
    ConnectEvent = !Online;
    if (!Online) {
        SettingsLoaded = false;
        setupTried_ = false;
    }
}

void TMainForm::SetConnection() { connection_->SetConnection(); }

void TMainForm::DialUpActiveConnection(int handle) { connection_->DialUpActiveConnection(handle); }

void TMainForm::LoadServerSettings()
{
    SettingsLoaded = DownloadSetup();
    // A connection raises the event once, at its first attempt: a download
    // that keeps failing must not make every cycle a new connection.
    if (!setupTried_) {
        setupTried_ = true;
        ConnectEvent = true;
    }
}

bool TMainForm::DownloadSetup()
{
    if (WallPaper->Busy) {
        ConStatus->SetPanel(1, Msg(43));
        return false;
    }
    ConStatus->SetPanel(1, Msg(51));
    if (!Online) {
        SettingsBusy = false;
        return SettingsLoaded;
    }
    SettingsBusy = true;
    struct Done {
        std::atomic<bool>& busy;
        ~Done() { busy = false; }
    } done{SettingsBusy};
    if (Application) Application->ProcessMessages();
    try {
        TIdHTTP& http = *HTTPc;
        if (!http.Connected()) http.Connect();
        DownloadStream->Clear();
        {
            TTransferBound bound(http, TransferLimits.SettingsTime, TransferLimits.SettingsBytes);
            http.Get(NetFile, *DownloadStream);
        }
        http.Disconnect();
        const String reply(reinterpret_cast<const char*>(DownloadStream->Memory()),
                           static_cast<size_t>(DownloadStream->Size()));
        TStringList lines;
        SetSettingsText(lines, reply);
        bool home = false;
        TakeSettingsKeys(lines, {{"netfile=", &NetFile},
                                 {"bannerurl=", &BannerUrl},
                                 {"minibanner=", &MiniBanner},
                                 {"wallpapermessage=", &WallpaperMessage},
                                 {"defaultimage=", &DefaultImage},
                                 {"mailto=", &MailTo},
                                 {"homeurl=", &HomeUrl, &home}});
        if (home) {
            HomeUrl = HomeUrl.substr(0, HomeUrl.find('/'));
            Image->setToolTip(QString::fromStdString(HomeUrl));
        }
        const String miniFile = GetAppFilePath() + "minibanner.jpg";
        if (MiniBanner.empty()) {
            DeleteFile(miniFile);
        } else {
            // Only a whole JPEG replaces the banner there is.
            try {
                const QImage banner = DownloadPictureFile(http, MiniBanner, miniFile, *DownloadStream);
                http.Disconnect();
                Image->setScaledContents(false);
                Image->setPixmap(QPixmap::fromImage(banner));
                Image->setFixedSize(banner.size());
            } catch (const std::exception&) {
                http.Disconnect();
                DownloadStream->Clear();
            }
        }
        // The publisher's file is kept as it came; anything else is used
        // until the program ends but never stored.
        if (IsGenuineSettingsFile(lines)) AtomicWriteFile(GetAppFilePath() + "kestrin.net", reply);
        ConStatus->SetPanel(1, Format(Msg(42), {" Setup"}));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TMainForm::CheckSchedule()
{
    // After runs that could apply nothing, the next waits its turn.
    if (!RetryDue()) return;
    const TDateTime now = Now();
    switch (Cfg.cfg_Action) {
    case 0:
        ApplyUpdate(nullptr);
        RequestQuit();
        break;
    case 1:
        if (DueToday(Cfg.cfg_LastAplly, now)) ApplyUpdate(nullptr);
        break;
    case 2:
        if (DueOnTime(Cfg.cfg_LastAplly, Cfg.cfg_TimeLenght, now)) ApplyUpdate(nullptr);
        break;
    case 3:
        if (DueThisWeek(Cfg.cfg_LastAplly, now)) ApplyUpdate(nullptr);
        RequestQuit();
        break;
    case 4:
        if (ConnectEvent && Online) {
            ApplyUpdate(nullptr);
            ConnectEvent = false;
        }
        break;
    default:
        break;
    }
}

void TMainForm::UpDateConStatus()
{
    // A chain that applied nothing stays told until the next job starts,
    // whatever the cycle showed meanwhile.
    ConStatus->SetPanel(1, failureStanding_ ? Msg(52) : String());
    ConStatus->SetPanel(0, Msg(Online ? 0 : 1));
}

void TMainForm::HTTPcWorkBegin(QObject*, TWorkMode, std::int64_t countMax)
{
    SetDownloadClient(HTTPc);
    if (FormProgress) {
        FormProgress->SetPosition(0);
        FormProgress->SetRange(static_cast<int>(std::min<std::int64_t>(countMax, INT32_MAX)));
        // Only a picture fetched behind the user's back shows its progress.
        if (!Visible() && WallPaper && WallPaper->Busy && !Cfg.cfg_Silent) FormProgress->Show();
    }
    if (Application) Application->ProcessMessages();
}

void TMainForm::HTTPcWork(QObject*, TWorkMode, std::int64_t count)
{
    if (Visible() || !WallPaper || !WallPaper->Busy) return;
    if (FormProgress) FormProgress->SetPosition(static_cast<int>(std::min<std::int64_t>(count, INT32_MAX)));
    ConStatus->SetPanel(1, Msg(41));
    if (Application) Application->ProcessMessages();
}

void TMainForm::HTTPcWorkEnd(QObject*, TWorkMode)
{
    if (FormProgress) FormProgress->Close();
    const int line = AgentResultLine(HTTPc->ResponseCode());
    if (line >= 0) ConStatus->SetPanel(1, Msg(line));
}

void TMainForm::HTTPcStatus(QObject*, TIdStatus, const String&)
{
    if (Application) Application->ProcessMessages();
}

} // namespace velvane::agent
