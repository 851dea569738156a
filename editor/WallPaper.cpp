#include "editor/WallPaper.h"

#include "editor/Main.h"
#include "editor/NetConnection.h"
#include "platform/forms/Dialogs.h"
#include "browser/WebBrowser.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/DateTime.h"
#include "settings/PictureToWallpaper.h"

#include <QComboBox>
#include <QListWidget>

namespace velvane {

void TWallPaper::Execute()
{
    TMainForm& f = *form_;
    if (f.NetConnection->Busy || f.Busy || Busy) {
        f.StatusBar->SetPanel(1, f.Msg(72));
        return;
    }

    // The selected entry, or else a picture address typed in the box.
    int row = f.CheckList->count() > 0 && f.CheckList->currentItem() && f.CheckList->currentItem()->isSelected()
                  ? f.CheckList->currentRow()
                  : -1;
    const String shown = row >= 0 ? EntryText(f.CheckList->item(row)) : f.Nav_Url->currentText().toStdString();
    // A picture viewed in the browser page from disk has a "file://" address.
    const String entry = LocalPathOf(shown);
    TPictureKind kind = PictureKindOf(entry);
    if (kind == TPictureKind::pkNone) return;

    Busy = true;
    struct Closing {
        TWallPaper& job;
        TMainForm& f;
        ~Closing()
        {
            ApplyCursor(f.CheckList, TCursor::crDefault);
            ApplyCursor(f.Browser, TCursor::crDefault);
            f.HTTPc->Disconnect();
            job.Busy = false;
        }
    } closing{*this, f};

    f.StatusBar->SetPanel(1, f.Msg(22));
    ApplyCursor(f.CheckList, TCursor::crHourGlass);
    ApplyCursor(f.Browser, TCursor::crHourGlass);
    DownloadStream->Clear();

    // The text is lower-cased only to tell its kind: paths and addresses are
    // used as written. A picture that cannot be had leaves the wallpaper and
    // the settings as they were. It is decoded straight into the work bitmap,
    // whose memory serves every change of the same size.
    TBitmap& picture = *f.WorkBitmap;
    if (IsWebAddress(entry) && kind == TPictureKind::pkJpeg) {
        if (!Online && MessageDlg(f.Msg(4), TMsgDlgType::mtInformation, mbOK) == mrOk) return;
        String downloaded;
        try {
            downloaded = DownloadToTempFile(*f.HTTPc, WebAddress(entry), *DownloadStream);
        } catch (const EIdException&) {
            // The download's own feedback has told the user.
            f.HTTPc->Disconnect();
            DownloadStream->Clear();
            DownloadStream->SetPosition(0);
            return;
        } catch (const EStreamError& e) {
            // The picture came, its file could not be kept: that is the
            // error to tell (the error handler does), not the transfer's
            // success.
            f.StatusBar->SetPanel(1, e.Message());
            throw;
        }
        TTempFile download(downloaded);
        try {
            LoadPicture(kind, download.Path(), picture);
        } catch (const EInvalidGraphic&) {
            MessageDlg(f.Msg(9), TMsgDlgType::mtError, mbOK);
            return;
        }
    } else {
        try {
            LoadPicture(kind, entry, picture);
        } catch (const EFOpenError&) {
            MessageDlg(f.Msg(9), TMsgDlgType::mtError, mbOK);
            return;
        } catch (const EInvalidGraphic&) {
            MessageDlg(f.Msg(9), TMsgDlgType::mtError, mbOK);
            return;
        }
    }

    ApplyWallpaper(picture, WallPaperFile);
    f.RecordApplied(Now(), row, shown);
    if (row >= 0) f.UpdateWinRegistry(nullptr);
}

} // namespace velvane
