#pragma once
// Reading and writing single HTTP header lines.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

namespace velvane::net {

// The text without CR and LF, so a value cannot start a header of its own.
String StripLineBreaks(String text);
// The code of a status line "HTTP/1.1 404 Not Found": three digits, or -1
// when the line has none.
int StatusCodeOf(const String& statusLine);
// The trimmed value of the first "Name: value" line for name, any letter case.
String HeaderValue(const std::vector<String>& lines, const String& name);
// Content-Length, or -1 when missing or not a number.
std::int64_t ContentLengthOf(const std::vector<String>& lines);

} // namespace velvane::net
