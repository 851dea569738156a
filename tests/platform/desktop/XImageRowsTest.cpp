#include "platform/desktop/XImageRows.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

using namespace velvane;

namespace {

constexpr bool kBigEndian = std::endian::native == std::endian::big;

std::uint32_t R(QRgb c) { return static_cast<std::uint32_t>(qRed(c)); }
std::uint32_t G(QRgb c) { return static_cast<std::uint32_t>(qGreen(c)); }
std::uint32_t B(QRgb c) { return static_cast<std::uint32_t>(qBlue(c)); }
// Ten bits from eight: the top two bits repeat below them.
std::uint32_t Ten(std::uint32_t v) { return v << 2 | v >> 6; }

// A layout (least significant byte first; each also runs most significant
// first) and the value it gives a colour, worked out by hand per layout.
struct Case {
    const char* name;
    XPixelLayout layout;
    std::uint32_t (*value)(QRgb);
};

const Case kCases[] = {
    {"32 RGB", {32, false, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return R(c) << 16 | G(c) << 8 | B(c); }},
    {"32 BGR", {32, false, 0xFF, 0xFF00, 0xFF0000}, [](QRgb c) { return B(c) << 16 | G(c) << 8 | R(c); }},
    {"24 RGB", {24, false, 0xFF0000, 0xFF00, 0xFF}, [](QRgb c) { return R(c) << 16 | G(c) << 8 | B(c); }},
    {"16 565", {16, false, 0xF800, 0x07E0, 0x001F}, [](QRgb c) { return (R(c) >> 3) << 11 | (G(c) >> 2) << 5 | B(c) >> 3; }},
    {"15 555", {16, false, 0x7C00, 0x03E0, 0x001F}, [](QRgb c) { return (R(c) >> 3) << 10 | (G(c) >> 3) << 5 | B(c) >> 3; }},
    {"16 BGR 565", {16, false, 0x001F, 0x07E0, 0xF800}, [](QRgb c) { return (B(c) >> 3) << 11 | (G(c) >> 2) << 5 | R(c) >> 3; }},
    {"30 RGB", {32, false, 0x3FF00000, 0x000FFC00, 0x3FF}, [](QRgb c) { return Ten(R(c)) << 20 | Ten(G(c)) << 10 | Ten(B(c)); }},
};

const std::vector<QRgb> kColours{qRgb(0, 0, 0),   qRgb(255, 255, 255), qRgb(0x12, 0x34, 0x56), qRgb(255, 0, 0),
                                 qRgb(0, 255, 0), qRgb(0, 0, 255),     qRgb(0x80, 0x7F, 0x01), qRgb(0xFE, 0x03, 0xC8)};

} // namespace

TEST(XImageRows, EveryLayoutStoresEachPixelAsWorkedOutByHandAndNothingBeyondTheRow)
{
    for (Case c : kCases)
        for (bool msbFirst : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (msbFirst ? " MSB" : " LSB"));
            c.layout.msbFirst = msbFirst;
            const XRowConverter converter(c.layout);
            ASSERT_TRUE(converter.Supported());
            const int bpp = converter.BytesPerPixel();
            ASSERT_EQ(bpp, c.layout.bitsPerPixel / 8);
            // Odd widths leave no row a whole number of words.
            for (int width : {1, 2, 3, 7, 1921}) {
                std::vector<QRgb> source(static_cast<std::size_t>(width));
                for (int x = 0; x < width; ++x) source[x] = kColours[(x * 5 + width) % kColours.size()];
                const std::size_t used = std::size_t(width) * bpp;
                std::vector<unsigned char> row(used + 8, 0xEE);
                converter.Convert(source.data(), width, row.data());
                for (int x = 0; x < width; ++x)
                    for (int i = 0; i < bpp; ++i) {
                        const int shift = c.layout.msbFirst ? 8 * (bpp - 1 - i) : 8 * i;
                        ASSERT_EQ(row[x * bpp + i], static_cast<unsigned char>(c.value(source[x]) >> shift))
                            << "width " << width << ", pixel " << x << ", byte " << i;
                    }
                EXPECT_EQ(std::vector<unsigned char>(row.begin() + used, row.end()), std::vector<unsigned char>(8, 0xEE));
            }
        }
}

TEST(XImageRows, OnlyTheMachinesOwnRgb32LayoutGoesAsItIsAndUnfitLayoutsAreRefused)
{
    EXPECT_TRUE(IsRgb32Layout({32, kBigEndian, 0xFF0000, 0xFF00, 0xFF}));
    for (const XPixelLayout& other : {XPixelLayout{32, !kBigEndian, 0xFF0000, 0xFF00, 0xFF},
                                      XPixelLayout{32, kBigEndian, 0xFF, 0xFF00, 0xFF0000},
                                      XPixelLayout{24, kBigEndian, 0xFF0000, 0xFF00, 0xFF},
                                      XPixelLayout{32, kBigEndian, 0x3FF00000, 0xFFC00, 0x3FF}})
        EXPECT_FALSE(IsRgb32Layout(other));
    for (const XPixelLayout& unfit : {XPixelLayout{8, false, 0xE0, 0x1C, 0x03},             // palette-sized pixels
                                      XPixelLayout{12, false, 0xF00, 0xF0, 0xF},
                                      XPixelLayout{32, false, 0, 0xFF00, 0xFF},             // a channel missing
                                      XPixelLayout{32, false, 0xFF00FF, 0xFF00, 0xFF},      // overlapping
                                      XPixelLayout{32, false, 0xF0F000, 0xFF00, 0xFF},      // not one run of bits
                                      XPixelLayout{16, false, 0xFF0000, 0xFF00, 0xFF},      // wider than the pixel
                                      XPixelLayout{24, false, 0xFF000000, 0xFF00, 0xFF}})
        EXPECT_FALSE(XRowConverter(unfit).Supported()) << unfit.bitsPerPixel << " " << std::hex << unfit.redMask;
}
