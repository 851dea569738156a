#include "platform/rtl/Strings.h"

#include "platform/rtl/AsciiText.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <cctype>

namespace velvane {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";


String WithoutBom(String bytes)
{
    if (std::string_view(bytes).starts_with(Utf8Bom)) bytes.erase(0, Utf8Bom.size());
    return bytes;
}

} // namespace

// --- TStrings ---

int TStrings::Add(const String& s)
{
    int index = Count();
    Insert(index, s);
    return index;
}

void TStrings::Exchange(int index1, int index2)
{
    String first = Get(index1);
    String second = Get(index2);
    if (index1 == index2) return;
    Put(index1, second);
    Put(index2, first);
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex) {
        Get(curIndex);
        return;
    }
    // Both checked before anything moves, so a bad index loses no line.
    String line = Get(curIndex);
    Get(newIndex);
    Delete(curIndex);
    Insert(newIndex, line);
}

int TStrings::IndexOf(const String& s) const
{
    for (int i = 0, n = Count(); i < n; ++i)
        if (Get(i) == s) return i;
    return -1;
}

void TStrings::Assign(const TStrings& source)
{
    if (&source == this) return;
    Clear();
    AddStrings(source);
}

void TStrings::AddStrings(const TStrings& source)
{
    // Counted first so that adding a list to itself ends.
    for (int i = 0, n = source.Count(); i < n; ++i) Add(source.Get(i));
}

String TStrings::Text() const
{
    String text;
    for (int i = 0, n = Count(); i < n; ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetText(const String& text)
{
    Clear();
    for (const String& line : SplitLines(text)) Add(line);
}

String TStrings::Values(const String& name) const
{
    for (int i = 0, n = Count(); i < n; ++i) {
        String line = Get(i);
        auto eq = line.find('=');
        if (eq != String::npos && SameTextAscii(std::string_view(line).substr(0, eq), name))
            return line.substr(eq + 1);
    }
    return String();
}

void TStrings::LoadFromStream(TStream& stream)
{
    String bytes;
    char chunk[65536];
    for (std::int64_t n; (n = stream.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<size_t>(n));
    SetText(WithoutBom(std::move(bytes)));
}

void TStrings::SaveToStream(TStream& stream) const
{
    String text = Text();
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void TStrings::LoadFromFile(const String& path)
{
    SetText(WithoutBom(ReadFileBytes(path)));
}

void TStrings::SaveToFile(const String& path) const
{
    AtomicWriteFile(path, Text());
}

std::vector<String> TStrings::SplitLines(const String& text)
{
    std::vector<String> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// --- TStringList ---

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(ErrorText(TErrorText::ListIndex, {index}));
}

void TStringList::Changed()
{
    if (OnChange) OnChange();
}

String TStringList::Get(int index) const
{
    CheckIndex(index);
    return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const String& s)
{
    CheckIndex(index);
    lines_[static_cast<size_t>(index)] = s;
    Changed();
}

void TStringList::Insert(int index, const String& s)
{
    if (index != Count()) CheckIndex(index);
    lines_.insert(lines_.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (lines_.empty()) return;
    lines_.clear();
    Changed();
}

} // namespace velvane
