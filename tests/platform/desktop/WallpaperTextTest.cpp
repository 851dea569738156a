#include "platform/desktop/WallpaperText.h"

#include <gtest/gtest.h>

#include <optional>

using namespace velvane;

namespace {

// Reads a double-quoted JavaScript literal from the start of the text as a
// JavaScript engine would; nothing when it is not one whole literal.
std::optional<std::string> ReadJsLiteral(const std::string& text, size_t* end = nullptr)
{
    if (text.empty() || text[0] != '"') return std::nullopt;
    std::string value;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            if (end) *end = i + 1;
            return value;
        }
        if (c == '\n' || c == '\r' || text.compare(i, 3, "\xE2\x80\xA8") == 0 ||
            text.compare(i, 3, "\xE2\x80\xA9") == 0) return std::nullopt;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 't': value += '\t'; break;
        case 'u':
            if (i + 4 >= text.size() || text.compare(i + 1, 3, "202") != 0) return std::nullopt;
            value += text[i + 4] == '8' ? "\xE2\x80\xA8" : "\xE2\x80\xA9";
            i += 4;
            break;
        case 'x':
            if (i + 2 >= text.size()) return std::nullopt;
            value += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default: value += text[i];
        }
    }
    return std::nullopt;
}

} // namespace

TEST(WallpaperTextTest, FileUrisEncodeEverythingButPlainCharacters)
{
    EXPECT_EQ(FileUri("/home/ann/Pictures/sea-1_a.b~.bmp"), "file:///home/ann/Pictures/sea-1_a.b~.bmp");
    EXPECT_EQ(FileUri("/a b/it's \"q\" 100%/\xC3\xBC#?&.bmp"),
              "file:///a%20b/it%27s%20%22q%22%20100%25/%C3%BC%23%3F%26.bmp");
}

TEST(WallpaperTextTest, ScriptLiteralsHoldAnyTextWithoutEndingEarly)
{
    for (const std::string& text : {std::string("plain"), std::string("a\"); evil(); (\""),
                                   std::string("it's \\\" \\ end\\"), std::string("line\nbreak\r\t\x01\x7f"),
                                   std::string("\xC3\xBC\xE2\x80\x94 \xE2\x80\xA8\xE2\x80\xA9")}) {
        SCOPED_TRACE(text);
        const std::string literal = JsStringLiteral(text);
        size_t end = 0;
        const auto back = ReadJsLiteral(literal, &end);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(end, literal.size());  // the literal ends only at its last character
        EXPECT_EQ(*back, text);
    }
}
