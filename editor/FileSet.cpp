#include "editor/FileSet.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace velvane {

namespace {

// Where a folder entry keeps its folder and how deep in the tree it stands.
constexpr int kFolderPath = Qt::UserRole;
constexpr int kFolderDepth = Qt::UserRole + 1;
constexpr int kIndent = 12;

// Draws each folder entry indented by its depth, as a tree of the path.
class FolderIndent : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.setLeft(option->rect.left() + index.data(kFolderDepth).toInt() * kIndent);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(index.data(kFolderDepth).toInt() * kIndent, 0);
    }
};

QListWidgetItem* FolderItem(QListWidget* list, const QString& name, const QString& path, int depth, bool open)
{
    auto* item = new QListWidgetItem(
        QApplication::style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon), name, list);
    item->setData(kFolderPath, path);
    item->setData(kFolderDepth, depth);
    return item;
}

// The deepest listed volume that holds the path.
int VolumeIndexFor(const QComboBox* drives, const QString& path)
{
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < drives->count(); ++i) {
        QString root = drives->itemData(i).toString();
        QString prefix = root.endsWith('/') ? root : root + '/';
        if ((path == root || path.startsWith(prefix)) && root.size() > bestLength) {
            best = i;
            bestLength = static_cast<int>(root.size());
        }
    }
    return best;
}

} // namespace

TFrame_FileSet::TFrame_FileSet(QWidget* parent) : QWidget(parent)
{
    setObjectName("FileSet");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    auto* top = new QVBoxLayout(Panel1);
    top->setContentsMargins(0, 0, 0, 0);
    DriveList = new QComboBox(Panel1);
    DriveList->setObjectName("DriveList");
    top->addWidget(DriveList);
    layout->addWidget(Panel1);
    DirList = new QListWidget(this);
    DirList->setObjectName("DirList");
    DirList->setItemDelegate(new FolderIndent(DirList));
    layout->addWidget(DirList, 1);
    FileList = new QListWidget(this);
    FileList->setObjectName("FileList");
    layout->addWidget(FileList, 1);

    FillDrives();
    connect(DriveList, &QComboBox::activated, this, [this](int index) {
        SetDirectory(DriveList->itemData(index).toString().toStdString());
    });
    connect(DirList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetDirectory(item->data(kFolderPath).toString().toStdString()); });
    SetDirectory(QDir::homePath().toStdString());
}

void TFrame_FileSet::FillDrives()
{
    DriveList->clear();
    QStringList roots{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        // Kernel and memory file systems are no place for pictures.
        QString device = QString::fromUtf8(volume.device());
        if (!device.startsWith('/')) continue;
        if (!roots.contains(volume.rootPath())) roots << volume.rootPath();
    }
    for (const QString& root : roots) DriveList->addItem(root, root);
}

void TFrame_FileSet::Refresh()
{
    String keep = directory_;
    FillDrives();
    if (!SetDirectory(keep)) SetDirectory(QDir::homePath().toStdString());
}

bool TFrame_FileSet::SetDirectory(const String& path)
{
    QDir dir(QString::fromStdString(path));
    if (!dir.exists() || !dir.isReadable()) return false;
    QString canonical = dir.canonicalPath();
    dir.setPath(canonical);
    directory_ = canonical.toStdString();

    int volume = VolumeIndexFor(DriveList, canonical);
    if (volume >= 0) DriveList->setCurrentIndex(volume);

    // The folder's own path heads the list, one entry per folder from the
    // root down, the folder itself chosen; its sub-folders follow below it.
    DirList->clear();
    const QStringList parts = canonical.split('/', Qt::SkipEmptyParts);
    QString above = "/";
    FolderItem(DirList, above, above, 0, true);
    for (int i = 0; i < parts.size(); ++i) {
        above = QDir(above).filePath(parts[i]);
        FolderItem(DirList, parts[i], above, i + 1, true);
    }
    QListWidgetItem* current = DirList->item(DirList->count() - 1);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        FolderItem(DirList, name, dir.filePath(name), static_cast<int>(parts.size()) + 1, false);
    DirList->setCurrentItem(current);
    current->setSelected(true);

    QStringList patterns = QString::fromStdString(Mask).split(';', Qt::SkipEmptyParts);
    FileList->clear();
    FileList->addItems(dir.entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase));
    return true;
}

String TFrame_FileSet::FileName() const
{
    QListWidgetItem* item = FileList->currentItem();
    if (!item || !item->isSelected()) return String();
    return QDir(QString::fromStdString(directory_)).absoluteFilePath(item->text()).toStdString();
}

} // namespace velvane
