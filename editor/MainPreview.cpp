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

namespace {

bool SameEntry(const QString& a, const String& b) { return a.compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0; }

} // namespace

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
        source = CheckList->item(row)->text().toStdString();
    }
    TPictureKind kind = PictureKindOf(source);

    // The picture is decoded into a bitmap of its own: the wallpaper file
    // changes only when the user applies it.
    TBitmap picture;
    if (IsWebAddress(source)) {
        if (kind != TPictureKind::pkJpeg) {
            // Only JPEG pictures are fetched from the web.
            PreviewError = Msg(14);
            StatusBar->SetPanel(1, PreviewError);
            return;
        }
        String downloaded;
        try {
            downloaded = DownloadToTempFile(*HTTPc, WebAddress(source), *DownloadStream);
            HTTPc->Disconnect();
        } catch (const Exception&) {
            HTTPc->Disconnect();
            PreviewError = Msg(8);
            StatusBar->SetPanel(1, PreviewError);
            return;
        }
        TTempFile download(downloaded);
        try {
            LoadPicture(kind, download.Path(), picture);
        } catch (const Exception&) {
            PreviewError = Msg(9);
        }
    } else if (!source.empty()) {
        try {
            LoadPicture(kind, source, picture);
        } catch (const Exception&) {
            PreviewError = Msg(10);
        }
    }
    if (!PreviewError.empty()) StatusBar->SetPanel(1, PreviewError);

    TFormPicture dialog(nullptr);
    const QImage& image = picture.Image();
    dialog.SetPicture(image);
    int toolBar = dialog.ToolBar->height();
    int width = std::max(image.width(), 200);
    int height = image.height() + toolBar;
    dialog.SetCaption(Format(Msg(11), {source, image.width(), image.height()}));
    if (image.height() == 0) {
        height = 100;
        dialog.SetImageVisible(false);
        dialog.Btn_3->setEnabled(false);
    }
    dialog.SetClientSize(width, height);
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
            for (int i = 0; i < CheckList->count() && !present; ++i) present = SameEntry(CheckList->item(i)->text(), source);
            if (!present) {
                auto* item = new QListWidgetItem(QString::fromStdString(source));
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                QSignalBlocker quiet(CheckList);
                CheckList->addItem(item);
            }
        } else {
            for (int i = 0; i < CheckList->count(); ++i) {
                if (!SameEntry(CheckList->item(i)->text(), source)) continue;
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
            Cfg.cfg_LastAplly = Now();
            Cfg.cfg_CurrentImgPos = row;
            Cfg.cfg_CurrentIMG = source;
            UpdateWinRegistry(nullptr);
        }
    }
}

} // namespace velvane
