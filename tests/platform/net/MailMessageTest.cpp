#include "platform/net/MailMessage.h"

#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <ctime>
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

bool NoBareLineBreak(const std::string& text)
{
    return !std::regex_search(text, std::regex("\r(?!\n)|(^|[^\r])\n"));
}

MailParts Sample()
{
    MailParts parts;
    parts.fromAddress = "ana@example.com";
    parts.fromName = "ana";
    parts.to = {"bia@example.org"};
    parts.subject = "Imagem compartilhada pelo Velvane";
    parts.date = "Thu, 29 Feb 2024 23:59:58 -0300";
    parts.messageId = "<abc.1@example.com>";
    parts.body = {"Olá", "", "Tipo de imagem:Carros"};
    return parts;
}

} // namespace

TEST(QuotedPrintableTest, EscapesBlanksAtLineEndsAndBreaksLongLinesSoftly)
{
    EXPECT_EQ(QuotedPrintable({"Olá, João", "a=b", "fim ", "tab\t", "", ".linha", "um\ndois\rtrês"}),
              "Ol=C3=A1, Jo=C3=A3o\r\na=3Db\r\nfim=20\r\ntab=09\r\n\r\n.linha\r\num\r\ndois\r\ntr=C3=AAs");
    EXPECT_EQ(QuotedPrintable({std::string(76, 'x')}), std::string(76, 'x')) << "a line that fits stays whole";

    std::string line;
    for (int i = 0; i < 40; ++i) line += "ação = é ";
    const std::string encoded = QuotedPrintable({line, std::string(77, 'y')});
    for (const std::string& piece : Lines(encoded)) {
        EXPECT_LE(piece.size(), 76u) << piece;
        EXPECT_FALSE(std::regex_search(piece, std::regex("=[0-9A-F]$"))) << "escape cut: " << piece;
    }
    EXPECT_EQ(DecodeQp(encoded), line + "\r\n" + std::string(77, 'y'));
}

TEST(HeaderTextTest, ControlsGoAndTextBeyondAsciiBecomesWholeEncodedWords)
{
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

TEST(MailDateTest, FullDateTimeAndTheZonesOffsetWithItsSummerTime)
{
    EXPECT_EQ(MailDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 999), -180), "Thu, 29 Feb 2024 23:59:58 -0300");
    EXPECT_EQ(MailDate(EncodeDate(2000, 1, 1), 330), "Sat, 1 Jan 2000 00:00:00 +0530");

    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    const int winter = LocalUtcOffsetMinutes(EncodeDate(2024, 1, 15) + EncodeTime(12, 0, 0, 0));
    const int summer = LocalUtcOffsetMinutes(EncodeDate(2024, 7, 15) + EncodeTime(12, 0, 0, 0));
    old ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
    EXPECT_EQ(winter, 60);
    EXPECT_EQ(summer, 120);
}

TEST(ComposeMessageTest, TextOnlyMessageIsOnePlainUtf8Part)
{
    const std::string message = ComposeMessage(Sample(), "=_unused");
    EXPECT_TRUE(NoBareLineBreak(message));
    EXPECT_EQ(message, "Date: Thu, 29 Feb 2024 23:59:58 -0300\r\nFrom: \"ana\" <ana@example.com>\r\n"
                       "To: <bia@example.org>\r\nSubject: Imagem compartilhada pelo Velvane\r\n"
                       "Message-ID: <abc.1@example.com>\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n"
                       "\r\nOl=C3=A1\r\n\r\nTipo de imagem:Carros\r\n");
}

TEST(ComposeMessageTest, NamesFromOutsideCannotAddHeaderLines)
{
    MailParts parts = Sample();
    parts.fromName = "ana\" <x@y>\r\nBcc: spy@example.net";
    parts.subject = "Oi\nBcc: spy@example.net";
    parts.to = {"bia@example.org\r\nBcc: spy@example.net", "caio@example.org"};
    parts.attachments = {{"foto\r\nBcc: 1\".jpg", "bytes"}};
    const std::string message = ComposeMessage(parts, "=_b");
    EXPECT_TRUE(NoBareLineBreak(message));
    for (const std::string& line : Lines(message)) EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
    EXPECT_NE(message.find("From: \"ana\\\" <x@y>Bcc: spy@example.net\" <ana@example.com>"), std::string::npos);
    EXPECT_NE(message.find("filename*=UTF-8''foto%0D%0ABcc%3A%201%22.jpg"), std::string::npos);
}

TEST(ComposeMessageTest, AttachmentsAreBase64PartsSeparatedOnlyWhereTheBoundaryStands)
{
    MailParts parts = Sample();
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 31);
    parts.attachments = {{"praia.JPG", bytes}, {"mapa.bmp", ""}};
    const std::string boundary = NewBoundary();
    const std::string message = ComposeMessage(parts, boundary);
    EXPECT_TRUE(NoBareLineBreak(message));
    EXPECT_NE(message.find("Content-Type: image/bmp; name=\"mapa.bmp\""), std::string::npos);

    const auto start = message.find("Content-Type: image/jpeg; name=\"praia.JPG\"\r\nContent-Transfer-Encoding: base64\r\n"
                                    "Content-Disposition: attachment; filename=\"praia.JPG\"\r\n\r\n");
    ASSERT_NE(start, std::string::npos);
    const auto body = message.find("\r\n\r\n", start) + 4;
    const std::string encoded = message.substr(body, message.find("\r\n--", body) - body);
    for (const std::string& line : Lines(encoded)) EXPECT_LE(line.size(), 76u);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(encoded)).toStdString(), bytes);

    size_t count = 0;
    for (auto at = message.find(boundary); at != std::string::npos; at = message.find(boundary, at + 1)) ++count;
    EXPECT_EQ(count, 5u);  // the header, three delimiters, the end
    EXPECT_TRUE(message.ends_with("\r\n--" + boundary + "--\r\n"));
    EXPECT_NE(NewMessageId("example.com"), NewMessageId("example.com"));
    EXPECT_TRUE(std::regex_match(NewMessageId("x>\r\nBcc: y"), std::regex("<[A-Za-z0-9]+\\.[0-9a-f]+@[A-Za-z0-9.-]+>")));
}
