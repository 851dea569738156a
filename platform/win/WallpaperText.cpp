#include "platform/win/WallpaperText.h"

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
    for (unsigned char c : text) {
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
