// Image-list documents in the main window: the commands that open, save and
// close them, and the editing of the list.

#include "editor/Main.h"

#include "editor/ImageListDocument.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/FileDialogs.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/LegacyText.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>

#include <algorithm>

namespace velvane {

namespace {

// Where the entry's own bytes are kept beside the text the list shows.
constexpr int kEntryBytes = Qt::UserRole + 1;

bool ShownBefore(const QListWidgetItem* a, const QListWidgetItem* b)
{
    return a->text().compare(b->text(), Qt::CaseInsensitive) < 0;
}

// In the order a sorted list shows, entries that compare equal keeping their
// order. Each text is folded once, not at every comparison: folded texts
// compare as the texts do without regard to case.
void SortShown(std::vector<QListWidgetItem*>& items)
{
    std::vector<std::pair<QString, QListWidgetItem*>> keyed;
    keyed.reserve(items.size());
    for (QListWidgetItem* item : items) keyed.emplace_back(item->text().toCaseFolded(), item);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < items.size(); ++i) items[i] = keyed[i].second;
}

QListWidgetItem* NewEntryItem(const String& entry, bool checked)
{
    auto* item = new QListWidgetItem(EntryDisplay(entry));
    item->setData(kEntryBytes, QByteArray::fromStdString(entry));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

QString EntryDisplay(const String& entry) { return QString::fromStdString(LegacyTextToUtf8(entry)); }

String EntryText(const QListWidgetItem* item)
{
    const QVariant bytes = item->data(kEntryBytes);
    return bytes.isValid() ? bytes.toByteArray().toStdString() : item->text().toStdString();
}

bool SameEntry(const QListWidgetItem* item, const String& entry)
{
    return item->text().compare(EntryDisplay(entry), Qt::CaseInsensitive) == 0;
}

QListWidgetItem* TMainForm::AddEntry(const String& entry, bool checked)
{
    QListWidgetItem* item = NewEntryItem(entry, checked);
    int row = CheckList->count();
    if (sorted_) {
        // After the entries it does not sort before, as a sorted list adds.
        int low = 0;
        while (low < row) {
            const int middle = low + (row - low) / 2;
            if (ShownBefore(item, CheckList->item(middle))) row = middle;
            else low = middle + 1;
        }
    }
    QSignalBlocker quiet(CheckList);
    CheckList->insertItem(row, item);
    return item;
}

bool TMainForm::EntryFits(const String& entry)
{
    if (FitsImageList(entry)) return true;
    MessageDlg(kEntryWithLineBreak, TMsgDlgType::mtInformation, mbOK);
    return false;
}

void TMainForm::SaveImageList(const String& path)
{
    std::vector<TImageEntry> entries;
    entries.reserve(static_cast<size_t>(CheckList->count()));
    for (int i = 0; i < CheckList->count(); ++i) {
        QListWidgetItem* item = CheckList->item(i);
        entries.push_back({EntryText(item), item->checkState() == Qt::Checked});
    }
    WriteImageList(path, entries);
}

void TMainForm::LoadImageList(const String& path)
{
    Notebook->setCurrentIndex(0);
    // Read first: a file that cannot be read leaves the list as it was.
    std::vector<TImageEntry> entries = ReadImageList(path);
    std::vector<QListWidgetItem*> items;
    items.reserve(entries.size());
    for (const TImageEntry& entry : entries) items.push_back(NewEntryItem(entry.Text, entry.Checked));
    // A sorted list is sorted once, not searched for each entry's place.
    if (sorted_) SortShown(items);
    QSignalBlocker quiet(CheckList);
    CheckList->setUpdatesEnabled(false);
    CheckList->clear();
    for (QListWidgetItem* item : items) CheckList->addItem(item);
    CheckList->setUpdatesEnabled(true);
}

String TMainForm::DocumentCaption() const { return Format(Msg(5), {Cfg.cfg_FileInUse}); }

void TMainForm::NovoClick(QObject*)
{
    if (!CloseDocument()) return;
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

void TMainForm::FecharClick(QObject*) { CloseDocument(); }

bool TMainForm::CloseDocument()
{
    if (Modified && MessageDlg(Msg(16), TMsgDlgType::mtConfirmation, mbOKCancel) == mrOk) {
        SalvarClick(nullptr);
        // The user asked to keep the changes: a save that did not happen
        // (its dialog cancelled) keeps the document too.
        if (Modified) return false;
    }
    QSignalBlocker quiet(CheckList);
    CheckList->clear();
    Cfg.cfg_FileInUse.clear();
    Modified = false;
    SetCaption("Velvane 2.0");
    return true;
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
    // The entries swap as the user sees them, also once the list is sorted:
    // sorting places what is added, it does not undo a move.
    QSignalBlocker quiet(CheckList);
    QListWidgetItem* item = CheckList->takeItem(row);
    CheckList->insertItem(target, item);
    CheckList->setCurrentRow(target);
    item->setSelected(true);
    Modified = true;
}

void TMainForm::Organizar1Click(QObject*)
{
    sorted_ = true;
    QSignalBlocker quiet(CheckList);
    // Taken from the end, so no entry moves up while the others go.
    std::vector<QListWidgetItem*> items(static_cast<size_t>(CheckList->count()));
    for (int row = CheckList->count() - 1; row >= 0; --row) items[static_cast<size_t>(row)] = CheckList->takeItem(row);
    SortShown(items);
    for (QListWidgetItem* item : items) CheckList->addItem(item);
    Modified = true;
}

} // namespace velvane
