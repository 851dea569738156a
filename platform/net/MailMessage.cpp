#include "platform/net/MailMessage.h"

#include "platform/rtl/AsciiText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"

#include <QByteArray>

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <random>

namespace velvane::net {

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Quoted-printable lines hold at most 76 characters, the soft break's "=" included.
constexpr size_t kQpLine = 76;
constexpr size_t kBase64Line = 76;
// Input bytes per encoded word: 60 base64 characters, 72 with the frame,
// under the 75 an encoded word may have.
constexpr size_t kWordBytes = 45;

constexpr bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
constexpr bool IsPrintableAscii(unsigned char c) { return c >= 0x20 && c < 0x7F; }

bool AllPrintableAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (!IsPrintableAscii(c)) return false;
    return true;
}

String WithoutControls(std::string_view text)
{
    String clean;
    clean.reserve(text.size());
    for (char c : text)
        if (!IsControl(static_cast<unsigned char>(c))) clean += c;
    return clean;
}

String Base64(std::string_view bytes)
{
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64().toStdString();
}

String Base64Lines(std::string_view bytes)
{
    const String encoded = Base64(bytes);
    String lines;
    lines.reserve(encoded.size() + encoded.size() / kBase64Line * 2 + 2);
    for (size_t at = 0; at < encoded.size(); at += kBase64Line) {
        lines.append(encoded, at, kBase64Line);
        lines += kCrLf;
    }
    return lines;
}

void AppendHex(String& out, unsigned char c)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += '=';
    out += kDigits[c >> 4];
    out += kDigits[c & 0xF];
}

void AppendQpLine(String& out, std::string_view line)
{
    size_t width = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool last = i + 1 == line.size();
        // Blanks at the end of a line would be stripped on the way.
        const bool literal = (c == ' ' || c == '\t') ? !last : (c >= 33 && c <= 126 && c != '=');
        const size_t size = literal ? 1 : 3;
        // Room is kept for the "=" of a soft break, unless this is the end.
        if (width + size > (last ? kQpLine : kQpLine - 1)) {
            out += "=\r\n";
            width = 0;
        }
        if (literal)
            out += static_cast<char>(c);
        else
            AppendHex(out, c);
        width += size;
    }
}

// Lines of a text, broken at CR LF, CR or LF; an empty text is one empty line.
std::vector<std::string_view> LinesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

String QuotedString(std::string_view text)
{
    String quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A display name: a quoted string, or encoded words beyond ASCII.
String Phrase(std::string_view name)
{
    const String clean = WithoutControls(name);
    return AllPrintableAscii(clean) ? QuotedString(clean) : HeaderText(clean);
}

String Mailbox(const String& name, const String& address)
{
    const String angled = "<" + WithoutControls(address) + ">";
    return name.empty() ? angled : Phrase(name) + " " + angled;
}

// A header parameter, "name=\"value\"", or in the RFC 2231 form
// "name*=UTF-8''..." when the value is not plain ASCII.
String Parameter(const char* name, std::string_view value)
{
    if (AllPrintableAscii(value) && value.find_first_of("\"\\") == std::string_view::npos)
        return String(name) + "=\"" + String(value) + "\"";
    String encoded = String(name) + "*=UTF-8''";
    for (unsigned char c : value) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           String("!#$&+-.^_`|~").find(static_cast<char>(c)) != String::npos;
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    return encoded;
}

String ContentTypeOf(const String& fileName)
{
    const String ext = AsciiLowerCase(ExtractFileExt(fileName));
    if (ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
    if (ext == ".bmp") return "image/bmp";
    if (ext == ".png") return "image/png";
    if (ext == ".gif") return "image/gif";
    return "application/octet-stream";
}

void AppendHeader(String& out, std::string_view name, const String& value)
{
    out.append(name);
    out += ": ";
    out += value;
    out += kCrLf;
}

String TextPart(const std::vector<String>& body)
{
    String part = "Content-Type: text/plain; charset=UTF-8\r\n"
                  "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    part += QuotedPrintable(body);
    part += kCrLf;
    return part;
}

String RandomLetters(size_t count)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device source;
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    String text;
    for (size_t i = 0; i < count; ++i) text += kLetters[pick(source)];
    return text;
}

bool IsHostName(std::string_view name)
{
    if (name.empty() || name.front() == '.' || name.back() == '.') return false;
    for (unsigned char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    return true;
}

} // namespace

bool HasControlCharacter(std::string_view text)
{
    for (unsigned char c : text)
        if (IsControl(c)) return true;
    return false;
}

bool IsPlainAddress(std::string_view text)
{
    const std::string_view bare = TrimBlanks(text);
    if (bare.empty()) return false;
    constexpr std::string_view kNotInAnAddress = " <>,;:\"()[]\\";
    for (unsigned char c : bare)
        if (IsControl(c) || kNotInAnAddress.find(static_cast<char>(c)) != std::string_view::npos) return false;
    return true;
}

String QuotedPrintable(const std::vector<String>& lines)
{
    String out;
    bool first = true;
    for (const String& item : lines) {
        for (std::string_view line : LinesOf(item)) {
            if (!first) out += kCrLf;
            first = false;
            AppendQpLine(out, line);
        }
    }
    return out;
}

String HeaderText(std::string_view text)
{
    const String clean = WithoutControls(text);
    if (AllPrintableAscii(clean)) return clean;
    String words;
    size_t at = 0;
    while (at < clean.size()) {
        size_t end = std::min(clean.size(), at + kWordBytes);
        // A character's bytes stay in one word.
        while (end < clean.size() && end > at + 1 && (static_cast<unsigned char>(clean[end]) & 0xC0) == 0x80) --end;
        if (!words.empty()) words += "\r\n ";
        words += "=?UTF-8?B?" + Base64(std::string_view(clean).substr(at, end - at)) + "?=";
        at = end;
    }
    return words;
}

String ComposeMessage(const MailParts& parts, const String& boundary)
{
    String out;
    AppendHeader(out, "Date", WithoutControls(parts.date));
    AppendHeader(out, "From", Mailbox(parts.fromName, parts.fromAddress));
    String to;
    for (const String& address : parts.to) {
        if (!to.empty()) to += ",\r\n ";
        to += Mailbox({}, address);
    }
    AppendHeader(out, "To", to);
    AppendHeader(out, "Subject", HeaderText(parts.subject));
    AppendHeader(out, "Message-ID", WithoutControls(parts.messageId));
    AppendHeader(out, "MIME-Version", "1.0");
    if (!parts.mailer.empty()) AppendHeader(out, "X-Mailer", HeaderText(parts.mailer));

    if (parts.attachments.empty()) {
        out += TextPart(parts.body);
        return out;
    }
    AppendHeader(out, "Content-Type", "multipart/mixed; boundary=\"" + boundary + "\"");
    out += kCrLf;
    const String delimiter = "--" + boundary + "\r\n";
    out += delimiter;
    out += TextPart(parts.body);
    for (const MailAttachment& file : parts.attachments) {
        out += delimiter;
        AppendHeader(out, "Content-Type", ContentTypeOf(file.fileName) + "; " + Parameter("name", file.fileName));
        AppendHeader(out, "Content-Transfer-Encoding", "base64");
        AppendHeader(out, "Content-Disposition", "attachment; " + Parameter("filename", file.fileName));
        out += kCrLf;
        out += Base64Lines(file.bytes);
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

String MailDate(TDateTime local, int utcOffsetMinutes)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int year, month, day, hour, minute, second, msec;
    DecodeDate(local, year, month, day);
    DecodeTime(local, hour, minute, second, msec);
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[DayOfWeek(local) - 1], day,
                  kMonths[month - 1], year, hour, minute, second, utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                  offset % 60);
    return text;
}

int LocalUtcOffsetMinutes(TDateTime local)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDate(local, year, month, day);
    DecodeTime(local, hour, minute, second, msec);
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const std::time_t moment = std::mktime(&fields);
    std::tm zone{};
    if (moment == static_cast<std::time_t>(-1) || !localtime_r(&moment, &zone)) return 0;
    return static_cast<int>(zone.tm_gmtoff / 60);
}

String MailDateNow()
{
    const TDateTime now = Now();
    return MailDate(now, LocalUtcOffsetMinutes(now));
}

String NewMessageId(const String& domain)
{
    String host = domain;
    if (!IsHostName(host)) {
        char name[256] = "";
        host = ::gethostname(name, sizeof name - 1) == 0 ? String(name) : String();
        if (!IsHostName(host)) host = "localhost.localdomain";
    }
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%llx", static_cast<unsigned long long>(std::time(nullptr)));
    return "<" + RandomLetters(24) + "." + stamp + "@" + host + ">";
}

String NewBoundary() { return "=_" + RandomLetters(28); }

} // namespace velvane::net
