// Applying a picture and previewing it from the file pane or the image list.

#include "editor/Main.h"

#include "editor/FileSet.h"
#include "editor/ImagePic.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "browser/WebBrowser.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "settings/PictureToWallpaper.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace velvane {

void TMainForm::ApllyClick(QObject*) { WallPaper->Execute(); }

void TMainForm::ImagePreviewClick(QObject*) { Frame_FileSet1FileListDblClick(CheckList); }

void TMainForm::File_FrameClick(QObject*) { FileSet->setVisible(FileSet->isHidden()); }

void TMainForm::FileSetFileListKeyUp(QObject* sender, int& key)
{
    if (key == VK_RETURN) Frame_FileSet1FileListDblClick(sender);
}

void TMainForm::Frame_FileSet1FileListDblClick(QObject* sender)
{
    if (NetConnection->Busy || Busy || WallPaper->Busy) {
        StatusBar->SetPanel(1, Msg(72));
        return;
    }
    Busy = true;
    struct Closing {
        TMainForm& f;
        ~Closing()
        {
            f.Busy = false;
            ApplyCursor(f.CheckList, TCursor::crDefault);
            f.WorkBitmap->Dormant();
        }
    } closing{*this};
    ApplyCursor(CheckList, TCursor::crHourGlass);
    StatusBar->SetPanel(1, Msg(23));
    DownloadStream->Clear();
    PreviewError.clear();

    const bool fromFiles = sender == FileSet->FileList;
    int row = -1;
    String source;
    if (fromFiles) {
        source = FileSet->FileName();
    } else if (CheckList->currentItem() && CheckList->currentItem()->isSelected()) {
        row = CheckList->currentRow();
        source = EntryText(CheckList->item(row));
    }
    // An entry with a "file://" address shows the file it names.
    const String path = LocalPathOf(source);
    TPictureKind kind = PictureKindOf(path);

    // The picture is decoded into a bitmap of its own: the wallpaper file
    // changes only when the user applies it.
    TBitmap picture;
    if (IsWebAddress(path)) {
        if (kind != TPictureKind::pkJpeg) {
            // Only JPEG pictures are fetched from the web.
            PreviewError = Msg(14);
            StatusBar->SetPanel(1, PreviewError);
            return;
        }
        String downloaded;
        try {
            downloaded = DownloadToTempFile(*HTTPc, WebAddress(path), *DownloadStream);
            HTTPc->Disconnect();
        } catch (const EIdException&) {
            HTTPc->Disconnect();
            PreviewError = Msg(8);
            StatusBar->SetPanel(1, PreviewError);
            return;
        } catch (const EStreamError& e) {
            // Not a failed download: the file to keep it in could not be
            // written, and the error handler says so.
            HTTPc->Disconnect();
            PreviewError = e.Message();
            StatusBar->SetPanel(1, PreviewError);
            throw;
        }
        TTempFile download(downloaded);
        try {
            LoadPicture(kind, download.Path(), picture);
        } catch (const Exception&) {
            PreviewError = Msg(9);
        }
    } else if (!path.empty()) {
        try {
            LoadPicture(kind, path, picture);
        } catch (const Exception&) {
            PreviewError = Msg(10);
        }
    }
    if (!PreviewError.empty()) StatusBar->SetPanel(1, PreviewError);

    TFormPicture dialog(nullptr);
    const QImage& image = picture.Image();
    dialog.SetCaption(Format(Msg(11), {source, image.width(), image.height()}));
    if (image.height() == 0) {
        dialog.SetPicture(image);
        dialog.SetClientSize(std::max(image.width(), 200), 100);
        dialog.SetImageVisible(false);
        dialog.Btn_3->setEnabled(false);
    } else {
        // The picture's own size, scaled down to fit the screen.
        dialog.FitPicture(image);
    }
    dialog.Btn_1->setText(QString());
    dialog.Btn_2->setText(QString());
    if (fromFiles) {
        dialog.Btn_1->SetKind(TBitBtnKind::bkOK);
        dialog.Btn_1->setText(QString());
        dialog.Btn_1->setToolTip(QString::fromStdString(Msg(12)));
        dialog.Btn_3->SetKind(TBitBtnKind::bkAll);
    } else {
        dialog.Btn_1->SetKind(TBitBtnKind::bkCancel);
        dialog.Btn_1->setText(QString());
        dialog.Btn_1->ModalResult = mrOk;
        dialog.Btn_1->setToolTip(QString::fromStdString(Msg(69)));
    }
    dialog.Btn_2->SetKind(TBitBtnKind::bkIgnore);
    dialog.Btn_2->setText(QString());
    dialog.Btn_2->setToolTip(QString::fromStdString(Msg(68)));

    ApplyCursor(CheckList, TCursor::crDefault);
    int result = dialog.ShowModal();
    if (result == mrOk) {
        if (fromFiles) {
            bool present = false;
            for (int i = 0; i < CheckList->count() && !present; ++i) present = SameEntry(CheckList->item(i), source);
            if (!present && !EntryFits(source)) return;
            if (!present) AddEntry(source, false);
        } else {
            for (int i = 0; i < CheckList->count(); ++i) {
                if (!SameEntry(CheckList->item(i), source)) continue;
                QSignalBlocker quiet(CheckList);
                delete CheckList->takeItem(i);
                break;
            }
        }
        Modified = true;
    } else if (result == mrAll && !image.isNull()) {
        WorkBitmap->Assign(picture);
        ApplyWallpaper(*WorkBitmap, WallPaperFile);
        if (!fromFiles && row >= 0) {
            RecordApplied(Now(), row, source);
            UpdateWinRegistry(nullptr);
        }
    }
}

} // namespace velvane
