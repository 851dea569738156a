#pragma once
// Bitmap files written byte by byte, the way the tests want them, so that
// the decoder is checked against files it did not make.

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace velvane::test {

inline void Le16(std::string& out, std::uint32_t v)
{
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}
inline void Le32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

struct BmpFile {
    std::uint32_t headerSize = 40;   // 12, 40, 108 or 124
    std::int32_t width = 0;
    std::int32_t height = 0;         // negative: top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    int planes = 1;
    std::vector<QRgb> palette;
    std::vector<std::uint32_t> masks;  // BI_BITFIELDS
    std::vector<std::string> rows;     // in file order, without padding
    char padByte = char(0xAA);         // never zero, so a decoder reading padding shows

    std::string Bytes() const
    {
        std::string head;
        if (headerSize == 12) {
            Le32(head, 12);
            Le16(head, std::uint32_t(width));
            Le16(head, std::uint32_t(height));
            Le16(head, std::uint32_t(planes));
            Le16(head, std::uint32_t(bits));
        } else {
            Le32(head, headerSize);
            Le32(head, std::uint32_t(width));
            Le32(head, std::uint32_t(height));
            Le16(head, std::uint32_t(planes));
            Le16(head, std::uint32_t(bits));
            Le32(head, compression);
            Le32(head, 0);
            Le32(head, 2835);
            Le32(head, 2835);
            Le32(head, colorsUsed);
            Le32(head, 0);
            if (headerSize > 40) {
                for (std::size_t i = 0; i < 4; ++i) Le32(head, i < masks.size() ? masks[i] : 0);
                head.resize(headerSize, '\0');
            } else {
                for (auto m : masks) Le32(head, m);
            }
        }
        for (QRgb c : palette) {
            head.push_back(char(qBlue(c)));
            head.push_back(char(qGreen(c)));
            head.push_back(char(qRed(c)));
            if (headerSize != 12) head.push_back('\0');
        }
        std::string pixels;
        for (const auto& row : rows) {
            pixels += row;
            while (pixels.size() % 4) pixels.push_back(padByte);
        }
        std::string out = "BM";
        Le32(out, std::uint32_t(14 + head.size() + pixels.size()));
        Le32(out, 0);
        Le32(out, std::uint32_t(14 + head.size()));
        return out + head + pixels;
    }
};

} // namespace velvane::test
