// Image-list documents in the main window: the commands that open, save and
// close them, and the editing of the list.

#include "editor/Main.h"

#include "editor/ImageListDocument.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/FileDialogs.h"
#include "platform/rtl/Format.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>

namespace velvane {

namespace {

QListWidgetItem* NewEntry(const TImageEntry& entry)
{
    auto* item = new QListWidgetItem(QString::fromStdString(entry.Text));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.Checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

void TMainForm::SaveImageList(const String& path)
{
    std::vector<TImageEntry> entries;
    entries.reserve(static_cast<size_t>(CheckList->count()));
    for (int i = 0; i < CheckList->count(); ++i) {
        QListWidgetItem* item = CheckList->item(i);
        entries.push_back({item->text().toStdString(), item->checkState() == Qt::Checked});
    }
    WriteImageList(path, entries);
}

void TMainForm::LoadImageList(const String& path)
{
    Notebook->setCurrentIndex(0);
    // Read first: a file that cannot be read leaves the list as it was.
    std::vector<TImageEntry> entries = ReadImageList(path);
    QSignalBlocker quiet(CheckList);
    CheckList->setUpdatesEnabled(false);
    CheckList->clear();
    for (const TImageEntry& entry : entries) CheckList->addItem(NewEntry(entry));
    CheckList->setUpdatesEnabled(true);
}

String TMainForm::DocumentCaption() const { return Format(Msg(5), {Cfg.cfg_FileInUse}); }

void TMainForm::NovoClick(QObject*)
{
    FecharClick(nullptr);
    SetCaption(Format("Velvane %s", {Msg(17)}));
}

void TMainForm::AbrirClick(QObject*)
{
    if (Modified) {
        if (!Cfg.cfg_FileInUse.empty()) {
            SalvarComoClick(nullptr);
        } else if (!QuerySaveChanges()) {
            // Changes of an unnamed document are offered for saving, not dropped.
            return;
        }
    }
    changesDropped_ = false;
    if (!OpenDlg->Execute() || OpenDlg->FileName.empty()) return;
    LoadImageList(OpenDlg->FileName);
    Modified = false;
    Cfg.cfg_FileInUse = OpenDlg->FileName;
    SetCaption(DocumentCaption());
    Notebook->setCurrentIndex(1);
}

void TMainForm::SalvarClick(QObject*)
{
    if (Cfg.cfg_FileInUse.empty()) {
        SalvarComoClick(nullptr);
        return;
    }
    SaveImageList(Cfg.cfg_FileInUse);
    Modified = false;
}

void TMainForm::SalvarComoClick(QObject*)
{
    if (!SaveDlg->Execute() || SaveDlg->FileName.empty()) return;
    SaveImageList(SaveDlg->FileName);
    Cfg.cfg_FileInUse = SaveDlg->FileName;
    Modified = false;
    SetCaption(DocumentCaption());
}

void TMainForm::FecharClick(QObject*)
{
    if (Modified && MessageDlg(Msg(16), TMsgDlgType::mtConfirmation, mbOKCancel) == mrOk) SalvarClick(nullptr);
    QSignalBlocker quiet(CheckList);
    CheckList->clear();
    Cfg.cfg_FileInUse.clear();
    Modified = false;
    SetCaption("Velvane 2.0");
}

void TMainForm::CheckListClickCheck(QObject*) { Modified = true; }

void TMainForm::CheckListKeyUp(QObject*, int& key)
{
    if (key == VK_DELETE) DeleteSelectedEntry();
    if (key == VK_RETURN) ImagePreviewClick(CheckList);
}

void TMainForm::ImageDeleteClick(QObject*) { DeleteSelectedEntry(); }

void TMainForm::DeleteSelectedEntry()
{
    int row = CheckList->currentRow();
    if (row < 0 || !CheckList->currentItem()->isSelected()) return;
    delete CheckList->takeItem(row);
    Modified = true;
}

void TMainForm::MoveToDownClick(QObject* sender)
{
    int row = CheckList->currentRow();
    if (row < 0 || !CheckList->currentItem()->isSelected()) return;
    int target = TagOf(sender) == 1 ? row + 1 : row - 1;
    if (target < 0 || target >= CheckList->count()) return;
    QSignalBlocker quiet(CheckList);
    QListWidgetItem* item = CheckList->takeItem(row);
    CheckList->insertItem(target, item);
    CheckList->setCurrentRow(target);
    Modified = true;
}

void TMainForm::Organizar1Click(QObject*)
{
    CheckList->setSortingEnabled(true);
    CheckList->sortItems();
    Modified = true;
}

} // namespace velvane
