#include "editor/ImageListDocument.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"

namespace velvane {

bool FitsImageList(const String& entry) { return entry.find_first_of("\r\n") == String::npos; }

String FormatImageList(const std::vector<TImageEntry>& entries)
{
    size_t size = 0;
    for (const TImageEntry& e : entries) {
        if (!FitsImageList(e.Text)) throw EWriteError(kEntryWithLineBreak);
        size += e.Text.size() + 4;
    }
    String bytes;
    bytes.reserve(size);
    for (const TImageEntry& e : entries) {
        bytes += e.Checked ? "1|" : "0|";
        bytes += e.Text;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<TImageEntry> ParseImageList(const String& bytes)
{
    std::vector<TImageEntry> entries;
    size_t pos = 0;
    const size_t end = bytes.size();
    while (pos < end) {
        size_t stop = pos;
        while (stop < end && bytes[stop] != '\n' && bytes[stop] != '\r') ++stop;
        std::string_view line(bytes.data() + pos, stop - pos);
        size_t bar = line.find('|');
        if (bar != std::string_view::npos)
            entries.push_back({String(line.substr(bar + 1)), line.substr(0, bar) == "1"});
        // CR LF is one break; a lone CR or LF is one too.
        pos = stop + (stop + 1 < end && bytes[stop] == '\r' && bytes[stop + 1] == '\n' ? 2 : 1);
    }
    return entries;
}

void WriteImageList(const String& path, const std::vector<TImageEntry>& entries)
{
    AtomicWriteFile(path, FormatImageList(entries));
}

std::vector<TImageEntry> ReadImageList(const String& path) { return ParseImageList(ReadFileBytes(path)); }

} // namespace velvane
