#include "editor/NetConnection.h"

#include "dialogs/Unt_Progress.h"
#include "editor/Main.h"
#include "editor/WallPaper.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "settings/PictureToWallpaper.h"
#include "settings/SettingsFile.h"
#include "settings/TransferLimits.h"

#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

namespace velvane {

void TNetConnection::TakeLocalKeys(const TStrings& lines)
{
    TakeSettingsKeys(lines, {{"host=", &Host},
                             {"bannerurl=", &BannerUrl},
                             {"bannerjpg=", &BannerJpg},
                             {"bannerhint=", &BannerHint},
                             {"homeurl=", &HomeUrl},
                             {"sysver=", &SysVer}});
}

void TNetConnection::SetOffLine()
{
    form_->Temas->clear();
    SettingsLoaded = false;
}

bool TNetConnection::FetchPicture(const String& url, const String& file, bool showAsBanner)
{
    TIdHTTP& http = *form_->HTTPc;
    TMemoryStream stream;
    try {
        const QImage picture = DownloadPictureFile(http, url, file, stream);
        if (showAsBanner) form_->Banner->setPixmap(QPixmap::fromImage(picture));
    } catch (const EIdConnClosedGracefully&) {
        return false;  // cancelled
    } catch (const Exception&) {
        http.Disconnect();
    }
    return true;
}

void TNetConnection::ShowProgress()
{
    if (!Busy || !FormProgress) return;
    // Its Cancel stops whatever transfer of the download runs now.
    SetDownloadClient(form_->HTTPc);
    FormProgress->SetParentWindow(form_->Widget());
    FormProgress->Show();
    progressShown_ = true;
}

void TNetConnection::Execute()
{
    TMainForm& f = *form_;
    if (f.WallPaper->Busy || f.Busy || Busy) {
        f.StatusBar->SetPanel(1, f.Msg(72));
        return;
    }
    // A new installation has no local copy yet: nothing tells where to fetch
    // one. That is decided before anything shows, so the connection watch,
    // which tries every few seconds, leaves the status and cursor alone; the
    // user's own reload says it failed (and it says nothing about the
    // connection).
    TStringList list;
    const String local = GetAppFilePath() + "kestrin.net";
    if (FileExists(local)) SetSettingsText(list, ReadFileBytes(local));
    // The file's own address comes from the local copy only, first line first.
    for (int i = 0; i < list.Count() && NetFile.empty(); ++i) {
        const String& line = list[i];
        if (line.find("netfile=") != String::npos) NetFile = line.substr(std::min<size_t>(line.size(), 8));
    }
    if (NetFile.empty()) return;

    TIdHTTP& http = *f.HTTPc;
    bool downloaded = false;
    bool failed = false;
    bool cancelled = false;
    struct Closing {
        TNetConnection& job;
        TMainForm& f;
        TIdHTTP& http;
        const bool& downloaded;
        const bool& failed;
        const bool& cancelled;
        QTimer& progress;
        ~Closing()
        {
            try {
                Finish();
            } catch (...) {
                // Nothing may leave a closing part; the flags are reset below.
            }
            progress.stop();
            if (job.progressShown_ && FormProgress) FormProgress->Close();
            job.progressShown_ = false;
            f.SetCursor(TCursor::crDefault);
            job.Busy = false;
        }
        void Finish()
        {
            http.Disconnect();
            // A download the user (or the closing window) stopped fetches
            // nothing more.
            const String folder = GetAppFilePath();
            bool goOn = !cancelled;
            if (goOn && !job.BannerJpg.empty()) goOn = job.FetchPicture(job.BannerJpg, folder + "banner.jpg", true);
            if (goOn && !job.MiniBanner.empty()) job.FetchPicture(job.MiniBanner, folder + "minibanner.jpg", false);
            if (!job.BannerJpg.empty() && !job.BannerUrl.empty() && !job.HomeUrl.empty() && !job.NetFile.empty())
                job.SettingsLoaded = true;
            if (job.SettingsLoaded) f.OpenSettingsAddress(job.HomeUrl);
            // The banners' transfers wrote their own results: the download's
            // outcome is the last word, and a failed one never reads as updated.
            if (downloaded && job.SettingsLoaded) f.StatusBar->SetPanel(1, f.Msg(1));
            else if (failed) f.StatusBar->SetPanel(1, f.Msg(73));
        }
    };

    f.StatusBar->SetPanel(1, f.Msg(60));
    Busy = true;
    f.SetCursor(TCursor::crHourGlass);
    // A quick download goes unseen; one that takes long shows the progress
    // box, whose Cancel stops it (a server may accept and never answer).
    QTimer progress;
    progress.setSingleShot(true);
    QObject::connect(&progress, &QTimer::timeout, [this] { ShowProgress(); });
    progress.start(ProgressDelay);
    Closing closing{*this, f, http, downloaded, failed, cancelled, progress};

    TMemoryStream stream;
    try {
        if (!http.Connected()) http.Connect();
        f.StatusBar->SetPanel(1, f.Msg(0));
        TTransferBound bound(http, TransferLimits.SettingsTime, TransferLimits.SettingsBytes);
        http.Get(NetFile, stream);
        downloaded = true;
    } catch (const EIdConnClosedGracefully&) {
        failed = cancelled = true;
    } catch (const Exception&) {
        failed = true;
    }
    // Only a whole reply that is the publisher's file is read: a cut one
    // could hold half a file, and an error page is none of ours.
    if (!downloaded) return;
    const std::string_view reply(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    SetSettingsText(list, reply);
    if (!IsGenuineSettingsFile(list)) {
        downloaded = false;
        failed = true;
        return;
    }

    String themes;
    bool themesFound = false;
    TakeSettingsKeys(list, {{"host=", &Host},
                            {"bannerurl=", &BannerUrl},
                            {"bannerjpg=", &BannerJpg},
                            {"minibanner=", &MiniBanner},
                            {"bannerhint=", &BannerHint},
                            {"homeurl=", &HomeUrl},
                            {"mailto=", &MailTo},
                            {"sysver=", &SysVer},
                            {"themesurl=", &themes, &themesFound}});
    if (themesFound) f.Themes->SetText(themes);
    if (f.Themes->Count() > 0) f.SetMenuThemes();
    // The publisher's file is kept as it came, byte for byte.
    AtomicWriteFile(GetAppFilePath() + "kestrin.net", reply);
}

} // namespace velvane
