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
    // "HTTP/x.y", one blank, three digits, then a blank or the end; a sign or
    // a fourth digit makes the line malformed.
    const auto space = statusLine.find(' ');
    if (space == String::npos || statusLine.size() < space + 4) return -1;
    const std::string_view code = std::string_view(statusLine).substr(space + 1, 3);
    if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
    if (statusLine.size() > space + 4 && statusLine[space + 4] != ' ') return -1;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
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
