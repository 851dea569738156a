#include "platform/desktop/WallpaperText.h"

#include <cstdio>

namespace velvane {

namespace {
bool Unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}
} // namespace

String FileUri(const String& absolutePath)
{
    static const char hex[] = "0123456789ABCDEF";
    String uri = "file://";
    for (unsigned char c : absolutePath) {
        if (Unreserved(c) || c == '/') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

String JsStringLiteral(const String& text)
{
    String out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // U+2028 and U+2029 end a line, and so a string, in older engines.
        if (c == 0xE2 && text.compare(i + 1, 2, "\x80\xA8") == 0) {
            out += "\\u2028";
            i += 2;
            continue;
        }
        if (c == 0xE2 && text.compare(i + 1, 2, "\x80\xA9") == 0) {
            out += "\\u2029";
            i += 2;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\'': out += "\\'"; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);  // UTF-8 passes through; the script is sent as UTF-8
            }
        }
    }
    out += '"';
    return out;
}

} // namespace velvane
