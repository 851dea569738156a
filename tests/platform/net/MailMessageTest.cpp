#include "platform/net/MailMessage.h"

#include "platform/rtl/DateTime.h"
#include "tests/support/ScopedZone.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <regex>

using namespace velvane;
using namespace velvane::net;
using velvane::test::ScopedZone;

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

// Reads quoted-printable back, by the rules of the format, not our encoder's.
std::string DecodeQp(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

bool NoBareLineBreak(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    }
    return true;
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
    parts.mailer = "Velvane";
    parts.body = {"Olá", "", "Tipo de imagem:Carros"};
    return parts;
}

} // namespace

TEST(QuotedPrintableTest, AccentsEqualsSignsAndTrailingBlanksAreEncodedAndReadBack)
{
    EXPECT_EQ(QuotedPrintable({"Olá, João", "a=b", "fim ", "tab\t", "", ".linha"}),
              "Ol=C3=A1, Jo=C3=A3o\r\na=3Db\r\nfim=20\r\ntab=09\r\n\r\n.linha");
    // Line breaks inside an item are line breaks of the text, whatever kind.
    EXPECT_EQ(QuotedPrintable({"um\ndois\r\ntrês\rquatro"}), "um\r\ndois\r\ntr=C3=AAs\r\nquatro");
    EXPECT_EQ(QuotedPrintable({}), "");
}

TEST(QuotedPrintableTest, LongLinesBreakSoftlyAtSeventySixAndReadBackWhole)
{
    const std::string exact(76, 'x');
    EXPECT_EQ(QuotedPrintable({exact}), exact) << "a line that fits is not broken";

    // Escapes are never cut, blanks before a soft break stay, and every
    // piece fits the limit.
    std::string line;
    for (int i = 0; i < 40; ++i) line += "ação = é ";
    const std::string encoded = QuotedPrintable({line, std::string(77, 'y')});
    for (const std::string& piece : Lines(encoded)) {
        EXPECT_LE(piece.size(), 76u) << piece;
        EXPECT_FALSE(std::regex_search(piece, std::regex("=[0-9A-F]$"))) << "escape cut: " << piece;
    }
    EXPECT_EQ(DecodeQp(encoded), line + "\r\n" + std::string(77, 'y'));
}

TEST(HeaderTextTest, PlainAsciiStaysControlsGoAndTheRestBecomesEncodedWords)
{
    EXPECT_EQ(HeaderText("Imagem compartilhada pelo Velvane"), "Imagem compartilhada pelo Velvane");
    // A line break cannot start a header line of its own.
    EXPECT_EQ(HeaderText("Oi\r\nBcc: x@y.z"), "OiBcc: x@y.z");

    const std::string name = "João da Conceição Ãçõü " + std::string(60, 'z') + " ç";
    const std::string encoded = HeaderText(name);
    std::string decoded;
    const std::regex word("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]+)\\?=");
    for (const std::string& piece : Lines(encoded)) {
        const std::string bare = piece.front() == ' ' ? piece.substr(1) : piece;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(bare, m, word)) << bare;
        EXPECT_LE(bare.size(), 75u);
        const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(m[1]));
        // Each word holds whole characters.
        EXPECT_FALSE(QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter)) << bare;
        decoded += bytes.toStdString();
    }
    EXPECT_EQ(decoded, name);
}

TEST(MailDateTest, FullDateAndTimeWithItsZoneInEnglish)
{
    EXPECT_EQ(MailDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 999), -180),
              "Thu, 29 Feb 2024 23:59:58 -0300");
    EXPECT_EQ(MailDate(EncodeDate(2000, 1, 1), 330), "Sat, 1 Jan 2000 00:00:00 +0530");
    EXPECT_EQ(MailDate(EncodeDate(1999, 12, 31) + EncodeTime(12, 0, 0, 0), 0), "Fri, 31 Dec 1999 12:00:00 +0000");
}

TEST(MailDateTest, OffsetFollowsTheZoneAndItsSummerTime)
{
    {
        ScopedZone zone("<-03>3");
        EXPECT_EQ(LocalUtcOffsetMinutes(EncodeDate(2024, 7, 1)), -180);
    }
    {
        ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(LocalUtcOffsetMinutes(EncodeDate(2024, 1, 15) + EncodeTime(12, 0, 0, 0)), 60);
        EXPECT_EQ(LocalUtcOffsetMinutes(EncodeDate(2024, 7, 15) + EncodeTime(12, 0, 0, 0)), 120);
    }
}

TEST(ComposeMessageTest, TextOnlyMessageIsOnePlainPartWithEveryLineEndedByCrLf)
{
    const std::string message = ComposeMessage(Sample(), "=_unused");
    EXPECT_TRUE(NoBareLineBreak(message));
    const std::string head = message.substr(0, message.find("\r\n\r\n"));
    EXPECT_EQ(head,
              "Date: Thu, 29 Feb 2024 23:59:58 -0300\r\n"
              "From: \"ana\" <ana@example.com>\r\n"
              "To: <bia@example.org>\r\n"
              "Subject: Imagem compartilhada pelo Velvane\r\n"
              "Message-ID: <abc.1@example.com>\r\n"
              "MIME-Version: 1.0\r\n"
              "X-Mailer: Velvane\r\n"
              "Content-Type: text/plain; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: quoted-printable");
    EXPECT_EQ(message.substr(head.size() + 4), "Ol=C3=A1\r\n\r\nTipo de imagem:Carros\r\n");
}

TEST(ComposeMessageTest, NamesFromOutsideCannotAddHeaderLines)
{
    MailParts parts = Sample();
    parts.fromName = "ana\r\nBcc: spy@example.net";
    parts.subject = "Oi\nBcc: spy@example.net";
    parts.to = {"bia@example.org\r\nBcc: spy@example.net", "caio@example.org"};
    parts.attachments = {{"foto\r\nX-Evil: 1\".jpg", "bytes"}};
    const std::string message = ComposeMessage(parts, "=_b");
    EXPECT_TRUE(NoBareLineBreak(message));
    for (const std::string& line : Lines(message)) EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
    for (const std::string& line : Lines(message)) EXPECT_NE(line.rfind("X-Evil:", 0), 0u) << line;
    // A name beyond plain text goes in the encoded form a mail reader decodes.
    EXPECT_NE(message.find("filename*=UTF-8''foto%0D%0AX-Evil%3A%201%22.jpg"), std::string::npos);
    EXPECT_NE(message.find("To: <bia@example.orgBcc: spy@example.net>,\r\n <caio@example.org>"), std::string::npos);
}

TEST(ComposeMessageTest, AttachmentsGoAsBase64PartsOfAMixedMessage)
{
    MailParts parts = Sample();
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 31);
    parts.attachments = {{"praia.JPG", bytes}, {"mapa.bmp", ""}};
    const std::string boundary = NewBoundary();
    const std::string message = ComposeMessage(parts, boundary);
    EXPECT_TRUE(NoBareLineBreak(message));
    EXPECT_NE(message.find("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n"), std::string::npos);

    const auto start = message.find("Content-Disposition: attachment; filename=\"praia.JPG\"\r\n\r\n");
    ASSERT_NE(start, std::string::npos);
    EXPECT_NE(message.find("Content-Type: image/jpeg; name=\"praia.JPG\""), std::string::npos);
    EXPECT_NE(message.find("Content-Type: image/bmp; name=\"mapa.bmp\""), std::string::npos);
    const auto body = message.find("\r\n\r\n", start) + 4;
    const std::string encoded = message.substr(body, message.find("\r\n--", body) - body);
    for (const std::string& line : Lines(encoded)) EXPECT_LE(line.size(), 76u);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(encoded)).toStdString(), bytes);

    // The boundary is found only where it separates parts.
    size_t count = 0;
    for (auto at = message.find(boundary); at != std::string::npos; at = message.find(boundary, at + 1)) ++count;
    EXPECT_EQ(count, 5u);  // the header, three delimiters, the end
    EXPECT_EQ(message.substr(message.size() - boundary.size() - 6), "--" + boundary + "--\r\n");
}

TEST(MessageIdTest, UniqueAndUsableWhateverTheDomain)
{
    const std::regex form("<[A-Za-z0-9]+\\.[0-9a-f]+@[A-Za-z0-9.-]+>");
    const std::string first = NewMessageId("example.com");
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_NE(first.find("@example.com>"), std::string::npos);
    EXPECT_NE(NewMessageId("example.com"), first);
    for (const char* unfit : {"", "exa mple.com", "x>\r\nBcc: y", ".com"}) {
        const std::string id = NewMessageId(unfit);
        EXPECT_TRUE(std::regex_match(id, form)) << id;
    }
}
