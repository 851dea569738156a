#include "platform/win/XImageRows.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

using namespace velvane;

namespace {

constexpr bool kBigEndian = std::endian::native == std::endian::big;

// A layout and how it stores one colour, worked out by hand per layout.
struct Case {
    std::string name;
    XPixelLayout layout;
    std::vector<unsigned char> (*bytes)(QRgb);
};

std::vector<unsigned char> Ordered(std::uint32_t value, int count, bool msbFirst)
{
    std::vector<unsigned char> out;
    for (int i = 0; i < count; ++i) {
        const int shift = msbFirst ? 8 * (count - 1 - i) : 8 * i;
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
    return out;
}

std::uint32_t R(QRgb c) { return static_cast<std::uint32_t>(qRed(c)); }
std::uint32_t G(QRgb c) { return static_cast<std::uint32_t>(qGreen(c)); }
std::uint32_t B(QRgb c) { return static_cast<std::uint32_t>(qBlue(c)); }

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases{
        {"32 RGB LSB", {32, false, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return std::vector<unsigned char>{(unsigned char)B(c), (unsigned char)G(c), (unsigned char)R(c), 0}; }},
        {"32 RGB MSB", {32, true, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return std::vector<unsigned char>{0, (unsigned char)R(c), (unsigned char)G(c), (unsigned char)B(c)}; }},
        {"32 BGR LSB", {32, false, 0xFF, 0xFF00, 0xFF0000}, [](QRgb c) { return std::vector<unsigned char>{(unsigned char)R(c), (unsigned char)G(c), (unsigned char)B(c), 0}; }},
        {"24 RGB LSB", {24, false, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return std::vector<unsigned char>{(unsigned char)B(c), (unsigned char)G(c), (unsigned char)R(c)}; }},
        {"24 RGB MSB", {24, true, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return std::vector<unsigned char>{(unsigned char)R(c), (unsigned char)G(c), (unsigned char)B(c)}; }},
        {"16 565 LSB", {16, false, 0xF800, 0x07E0, 0x001F}, [](QRgb c) { return Ordered((R(c) >> 3) << 11 | (G(c) >> 2) << 5 | B(c) >> 3, 2, false); }},
        {"16 565 MSB", {16, true, 0xF800, 0x07E0, 0x001F}, [](QRgb c) { return Ordered((R(c) >> 3) << 11 | (G(c) >> 2) << 5 | B(c) >> 3, 2, true); }},
        {"15 555 LSB", {16, false, 0x7C00, 0x03E0, 0x001F}, [](QRgb c) { return Ordered((R(c) >> 3) << 10 | (G(c) >> 3) << 5 | B(c) >> 3, 2, false); }},
        {"16 BGR 565 LSB", {16, false, 0x001F, 0x07E0, 0xF800}, [](QRgb c) { return Ordered((B(c) >> 3) << 11 | (G(c) >> 2) << 5 | R(c) >> 3, 2, false); }},
        // Ten bits a channel: the top two bits of each byte repeat below it.
        {"30 RGB LSB", {32, false, 0x3FF00000, 0x000FFC00, 0x000003FF}, [](QRgb c) {
             const auto ten = [](std::uint32_t v) { return v << 2 | v >> 6; };
             return Ordered(ten(R(c)) << 20 | ten(G(c)) << 10 | ten(B(c)), 4, false);
         }},
    };
    return cases;
}

const std::vector<QRgb> kColours{qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(0x12, 0x34, 0x56), qRgb(255, 0, 0),
                                 qRgb(0, 255, 0),     qRgb(0, 0, 255),     qRgb(0x80, 0x7F, 0x01), qRgb(0xFE, 0x03, 0xC8)};

} // namespace

TEST(XImageRows, EveryLayoutStoresEachColourAsWorkedOutByHand)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const XRowConverter converter(c.layout);
        ASSERT_TRUE(converter.Supported());
        ASSERT_EQ(converter.BytesPerPixel(), c.layout.bitsPerPixel / 8);
        std::vector<unsigned char> row(kColours.size() * converter.BytesPerPixel());
        converter.Convert(kColours.data(), static_cast<int>(kColours.size()), row.data());
        for (std::size_t i = 0; i < kColours.size(); ++i) {
            const auto want = c.bytes(kColours[i]);
            const std::vector<unsigned char> got(row.begin() + i * want.size(), row.begin() + (i + 1) * want.size());
            EXPECT_EQ(got, want) << "colour " << std::hex << kColours[i];
        }
    }
}

TEST(XImageRows, OddWidthsFillTheirRowToTheLastPixelAndNotBeyond)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const XRowConverter converter(c.layout);
        const int bpp = converter.BytesPerPixel();
        for (int width : {1, 2, 3, 5, 7, 1921}) {
            SCOPED_TRACE("width " + std::to_string(width));
            // Middle pixels grey, the first and last ones told apart.
            std::vector<QRgb> source(width, qRgb(0x80, 0x80, 0x80));
            source.front() = qRgb(0xFF, 0x00, 0x10);
            source.back() = width > 1 ? qRgb(0x00, 0xF0, 0xFF) : source.front();
            const std::size_t used = std::size_t(width) * bpp;
            std::vector<unsigned char> row(used + 8, 0xEE);
            converter.Convert(source.data(), width, row.data());
            EXPECT_EQ(std::vector<unsigned char>(row.begin(), row.begin() + bpp), c.bytes(source.front()));
            EXPECT_EQ(std::vector<unsigned char>(row.begin() + used - bpp, row.begin() + used), c.bytes(source.back()));
            EXPECT_EQ(std::vector<unsigned char>(row.begin() + used, row.end()), std::vector<unsigned char>(8, 0xEE));
        }
    }
}

TEST(XImageRows, OnlyTheMachinesOwnRgb32LayoutIsSentAsItIs)
{
    EXPECT_TRUE(IsRgb32Layout({32, kBigEndian, 0xFF0000, 0xFF00, 0xFF}));
    EXPECT_FALSE(IsRgb32Layout({32, !kBigEndian, 0xFF0000, 0xFF00, 0xFF}));
    EXPECT_FALSE(IsRgb32Layout({32, kBigEndian, 0xFF, 0xFF00, 0xFF0000}));
    EXPECT_FALSE(IsRgb32Layout({24, kBigEndian, 0xFF0000, 0xFF00, 0xFF}));
    EXPECT_FALSE(IsRgb32Layout({32, kBigEndian, 0x3FF00000, 0xFFC00, 0x3FF}));
}

TEST(XImageRows, LayoutsItCannotFillAreRefused)
{
    EXPECT_FALSE(XRowConverter({8, false, 0xE0, 0x1C, 0x03}).Supported());          // palette-sized pixels
    EXPECT_FALSE(XRowConverter({12, false, 0xF00, 0xF0, 0xF}).Supported());
    EXPECT_FALSE(XRowConverter({32, false, 0, 0xFF00, 0xFF}).Supported());           // a channel missing
    EXPECT_FALSE(XRowConverter({32, false, 0xFF00FF, 0xFF00, 0xFF}).Supported());    // overlapping
    EXPECT_FALSE(XRowConverter({32, false, 0xF0F000, 0xFF00, 0xFF}).Supported());   // not one run of bits
    EXPECT_FALSE(XRowConverter({16, false, 0xFF0000, 0xFF00, 0xFF}).Supported());   // wider than the pixel
    EXPECT_FALSE(XRowConverter({24, false, 0xFF000000, 0xFF00, 0xFF}).Supported());
}
