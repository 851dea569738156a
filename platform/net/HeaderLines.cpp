#include "platform/net/HeaderLines.h"

#include "platform/rtl/AsciiText.h"

#include <algorithm>
#include <charconv>

namespace velvane::net {

String StripLineBreaks(String text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

int StatusCodeOf(const String& statusLine)
{
    const auto space = statusLine.find(' ');
    if (space == String::npos) return -1;
    int code = -1;
    const char* begin = statusLine.data() + space + 1;
    const char* end = statusLine.data() + statusLine.size();
    const auto [ptr, ec] = std::from_chars(begin, end, code);
    if (ec != std::errc() || ptr - begin != 3) return -1;
    return code;
}

String HeaderValue(const std::vector<String>& lines, const String& name)
{
    for (const String& line : lines) {
        const auto colon = line.find(':');
        if (colon != name.size()) continue;
        if (SameTextAscii(std::string_view(line).substr(0, colon), name))
            return String(TrimBlanks(std::string_view(line).substr(colon + 1)));
    }
    return {};
}

std::int64_t ContentLengthOf(const std::vector<String>& lines)
{
    const String text = HeaderValue(lines, "Content-Length");
    std::int64_t length = -1;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || length < 0) return -1;
    return length;
}

} // namespace velvane::net
