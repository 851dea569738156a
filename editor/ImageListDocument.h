#pragma once
// Image-list documents (".vnx"): one line per entry, "1|" + entry when the
// entry is checked, "0|" + entry when not, every line ended by CR LF.

#include "platform/rtl/Types.h"

#include <vector>

namespace velvane {

struct TImageEntry {
    String Text;
    bool Checked = false;
    friend bool operator==(const TImageEntry&, const TImageEntry&) = default;
};

// An entry the document can keep: one holding a line break would be written
// across lines and read back as another entry.
bool FitsImageList(const String& entry);
// What the editor says when it refuses such an entry.
inline constexpr char kEntryWithLineBreak[] =
    "O nome do arquivo contém uma quebra de linha e não pode ser incluído na lista de imagens.";

// The document's bytes; an empty list is empty. Raises EWriteError, and
// gives nothing, when an entry does not fit.
String FormatImageList(const std::vector<TImageEntry>& entries);
// Lines end at CR, LF or CR LF. A line without "|" is skipped; the entry is
// everything after the first "|" and it is checked when the text before is
// exactly "1".
std::vector<TImageEntry> ParseImageList(const String& bytes);

// Written whole through a temporary file: a failed save leaves the old file.
void WriteImageList(const String& path, const std::vector<TImageEntry>& entries);
// Raises EFOpenError naming the file when it cannot be read.
std::vector<TImageEntry> ReadImageList(const String& path);

} // namespace velvane
