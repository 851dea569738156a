#include "platform/forms/FileFilter.h"

#include "platform/rtl/AsciiText.h"

#include <vector>

namespace velvane {

namespace {
String TrimmedText(const String& text) { return String(TrimBlanks(text)); }
} // namespace

namespace {

std::vector<String> Split(const String& text, char separator)
{
    std::vector<String> parts;
    String::size_type start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == String::npos ? String::npos : end - start));
        if (end == String::npos) return parts;
        start = end + 1;
    }
}

// "*.bmp; *.jpg" -> "*.bmp *.jpg": Qt separates patterns with spaces.
String QtPatterns(const String& patterns)
{
    String joined;
    for (const String& part : Split(patterns, ';')) {
        const String pattern = TrimmedText(part);
        if (pattern.empty()) continue;
        if (!joined.empty()) joined += ' ';
        joined += pattern;
    }
    return joined;
}

String QtFilter(const String& rawDescription, const String& patterns)
{
    const String description = TrimmedText(rawDescription);
    if (description.empty()) return patterns + " (" + patterns + ")";
    // "Velvane (*.vnx)" already names its patterns; keep it, in Qt's spelling.
    const auto open = description.rfind('(');
    if (open != String::npos && description.back() == ')') {
        const String inside = description.substr(open + 1, description.size() - open - 2);
        if (QtPatterns(inside) == patterns) return description.substr(0, open + 1) + patterns + ")";
    }
    return description + " (" + patterns + ")";
}

} // namespace

String QtNameFilters(const String& filter)
{
    if (filter.empty()) return {};
    const std::vector<String> fields = Split(filter, '|');
    String result;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        const String patterns = QtPatterns(fields[i + 1]);
        if (patterns.empty()) continue;
        if (!result.empty()) result += ";;";
        result += QtFilter(fields[i], patterns);
    }
    return result;
}

} // namespace velvane
