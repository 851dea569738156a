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

// The document's bytes; an empty list is empty.
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
