#include "platform/net/MailMessage.h"

#include "platform/rtl/DateTime.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <regex>

using namespace velvane;
using namespace velvane::net;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// Reads quoted-printable back by the rules of the format, not our encoder's.
std::string DecodeQp(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else {
            if (text.compare(i + 1, 2, "\r\n") != 0) out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

} // namespace

TEST(MailText, QuotedPrintableAndHeaderWordsKeepEveryCharacterWithinTheLineLength)
{
    // A line break inside a line is one break, whichever it is (CR LF too).
    EXPECT_EQ(QuotedPrintable({"Olá, João", "a=b", "fim ", "tab\t", "", ".linha", "um\ndois\rtrês\r\nquatro"}),
              "Ol=C3=A1, Jo=C3=A3o\r\na=3Db\r\nfim=20\r\ntab=09\r\n\r\n.linha\r\num\r\ndois\r\ntr=C3=AAs\r\nquatro");
    std::string line;
    for (int i = 0; i < 40; ++i) line += "ação = é ";
    const std::string encoded = QuotedPrintable({line, std::string(77, 'y'), std::string(76, 'x')});
    for (const std::string& piece : Lines(encoded)) {
        EXPECT_LE(piece.size(), 76u) << piece;
        EXPECT_FALSE(std::regex_search(piece, std::regex("=[0-9A-F]$"))) << "escape cut: " << piece;
    }
    EXPECT_EQ(DecodeQp(encoded), line + "\r\n" + std::string(77, 'y') + "\r\n" + std::string(76, 'x'));

    EXPECT_EQ(HeaderText("Oi\r\nBcc: x@y.z"), "OiBcc: x@y.z");
    const std::string name = "João da Conceição Ãçõü " + std::string(60, 'z') + " ç";
    std::string decoded;
    for (const std::string& piece : Lines(HeaderText(name))) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(piece, m, std::regex(" ?=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]+)\\?="))) << piece;
        EXPECT_LE(m.length(0), 76);
        const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(m[1]));
        EXPECT_FALSE(QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter)) << "a character was cut";
        decoded += bytes.toStdString();
    }
    EXPECT_EQ(decoded, name);
}

TEST(MailText, DateIsAFullDateTimeWithTheZonesOffsetAndItsSummerTime)
{
    EXPECT_EQ(MailDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 999), -180), "Thu, 29 Feb 2024 23:59:58 -0300");
    EXPECT_EQ(MailDate(EncodeDate(2000, 1, 1), 330), "Sat, 1 Jan 2000 00:00:00 +0530");
    {
        test::ScopedEnv zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        EXPECT_EQ(LocalUtcOffsetMinutes(EncodeDate(2024, 1, 15) + EncodeTime(12, 0, 0, 0)), 60);
        EXPECT_EQ(LocalUtcOffsetMinutes(EncodeDate(2024, 7, 15) + EncodeTime(12, 0, 0, 0)), 120);
    }
    tzset();
}

TEST(MailText, NamesFromOutsideCannotAddHeaderLines)
{
    MailParts parts;
    parts.fromAddress = "ana@example.com";
    parts.fromName = "ana\" <x@y>\r\nBcc: spy@example.net";
    parts.subject = "Oi\nBcc: spy@example.net";
    parts.to = {"bia@example.org\r\nBcc: spy@example.net", "caio@example.org"};
    parts.date = "Thu, 29 Feb 2024 23:59:58 -0300";
    parts.messageId = NewMessageId("x>\r\nBcc: y");
    parts.body = {"Olá"};
    parts.attachments = {{"foto\r\nBcc: 1\".jpg", std::string(3000, '\xFE')}};
    const std::string message = ComposeMessage(parts, NewBoundary());
    EXPECT_FALSE(std::regex_search(message, std::regex("\r(?!\n)|(^|[^\r])\n"))) << "a line end without CR LF";
    for (const std::string& line : Lines(message)) {
        EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
        EXPECT_LE(line.size(), 998u);
    }
    EXPECT_TRUE(std::regex_search(message, std::regex("\r\nMessage-ID: <[A-Za-z0-9]+\\.[0-9a-f]+@[A-Za-z0-9.-]+>\r\n")));
    EXPECT_NE(message.find("From: \"ana\\\" <x@y>Bcc: spy@example.net\" <ana@example.com>"), std::string::npos);
    EXPECT_NE(message.find("filename*=UTF-8''foto%0D%0ABcc%3A%201%22.jpg"), std::string::npos);
}
