#include "agent/WallPaper.h"

#include "agent/MainService.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/Format.h"
#include "platform/win/WinError.h"
#include "settings/PictureToWallpaper.h"

namespace velvane::agent {

void TWallPaper::Execute()
{
    TMainForm& f = *form_;
    if (f.SettingsBusy || Busy) {
        f.ConStatus->SetPanel(1, f.Msg(43));
        return;
    }
    Busy = true;
    f.JobStarting();
    // However the job and the recoveries it starts end, the window weighs
    // the outcome once they have.
    struct Ended {
        TMainForm& f;
        ~Ended()
        {
            try {
                f.JobEnded();
            } catch (...) {
            }
        }
    } ended{f};
    // The error number the handler judges by is the job's own, not one an
    // earlier call left behind.
    SetLastError(ERROR_SUCCESS);
    f.DownloadStream->Clear();
    f.SetCursor(TCursor::crHourGlass);
    const int order = f.Cfg.cfg_Order;
    const auto finish = [&] {
        ForcedImage.clear();
        // Hours pass between changes: the picture's memory is not kept.
        WorkBitmap().Image() = QImage();
        f.SetCursor(TCursor::crDefault);
        Busy = false;
        f.Cfg.cfg_Order = order;
    };
    std::unique_ptr<Exception> pending;
    try {
        Run(pending);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (pending) f.HandJobError(std::move(pending));
}

void TWallPaper::Run(std::unique_ptr<Exception>& pending)
{
    TMainForm& f = *form_;
    String name = ForcedImage;
    if (name.empty()) {
        if (f.EnabledImages->Count() == 0) return;
        f.SetImageAndPos();
        name = f.Cfg.cfg_CurrentIMG;
    }
    f.EntryChosen();
    // Offline, web pictures give way to the next local one.
    if (!Online && PictureKindOf(name) == TPictureKind::pkJpeg && IsWebAddress(name)) {
        std::optional<String> local = f.NextLocalEntry(name);
        if (!local) return;
        name = *local;
    }

    // Only JPEG and BMP files are pictures; a web BMP is never downloaded
    // (opening its address as a file fails), and a name of neither kind
    // fails like a file that cannot be opened.
    const TPictureKind kind = PictureKindOf(name);
    TBitmap& picture = WorkBitmap();
    const auto cannotOpen = [&] { pending = std::make_unique<EFOpenError>(f.Msg(24)); };
    if (kind == TPictureKind::pkJpeg && IsWebAddress(name)) {
        TIdHTTP& http = *f.HTTPc;
        // A client that cannot connect is the caller's error.
        if (!http.Connected()) http.Connect();
        String downloaded;
        try {
            downloaded = DownloadToTempFile(http, WebAddress(name), *f.DownloadStream);
        } catch (const EIdProtocolReplyError&) {
            // The server answered with an error: the default image stands in,
            // carrying the failed address; the default image failing too
            // sends the recovery to a local picture.
            f.Cfg.cfg_LastImageError = f.Cfg.cfg_CurrentImgPos;
            if (name != f.DefaultImage)
                pending = std::make_unique<EIdProtocolReplyError>(f.Msg(24));
            else
                pending = std::make_unique<EIdSocketError>(GetLastError(), f.Msg(34));
            OverlayMessage = name + f.Msg(24);
            return;
        } catch (const EIdException&) {
            http.Disconnect();
            f.DownloadStream->Clear();
            f.DownloadStream->SetPosition(0);
            return;
        }
        TTempFile download(downloaded);
        LoadPicture(kind, download.Path(), picture);
    } else if (kind == TPictureKind::pkJpeg) {
        try {
            LoadPicture(kind, name, picture);
        } catch (const EFOpenError&) {
            cannotOpen();
            return;
        }
    } else {
        try {
            LoadPicture(kind, name, picture);
        } catch (const Exception&) {
            cannotOpen();
            return;
        }
    }
    f.DrawWallpaperOverlay(picture);
    ApplyWallpaper(picture, WallPaperFile);
    f.PictureApplied(name);

    f.ConStatus->SetPanel(1, Format(f.Msg(42), {f.Msg(44)}));
    f.SetCursor(TCursor::crDefault);
    f.UpdateDisplay();
    f.UpdateWinRegistry();
}

} // namespace velvane::agent
