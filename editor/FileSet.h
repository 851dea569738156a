#pragma once
// TFrame_FileSet: the file pane. A volume box (the file-system root and the
// mounted volumes, as Linux has no drive letters), the folder list (the
// current folder's path from the root down, the folder itself chosen, then
// its sub-folders), and its pictures (mask "*.bmp;*.jpg;*.jpeg", without
// regard to case). The volume sets the folder and the folder the files.

#include "platform/rtl/Types.h"

#include <QWidget>

class QComboBox;
class QListWidget;

namespace velvane {

class TFrame_FileSet : public QWidget {
public:
    explicit TFrame_FileSet(QWidget* parent);

    QWidget* Panel1 = nullptr;
    QComboBox* DriveList = nullptr;
    QListWidget* DirList = nullptr;
    QListWidget* FileList = nullptr;

    String Mask = "*.bmp;*.jpg;*.jpeg";

    const String& Directory() const { return directory_; }
    // Shows the folder (its volume chosen in the box); false when it cannot
    // be read, and the pane stays as it was.
    bool SetDirectory(const String& path);
    // The full path of the selected file; empty when none is selected.
    String FileName() const;
    // Reads the volumes, the folder and its files again.
    void Refresh();

private:
    void FillDrives();

    String directory_;
};

} // namespace velvane
