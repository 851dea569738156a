#include "platform/graphics/BmpCodec.h"

#include "platform/rtl/Exceptions.h"
#include "tests/platform/graphics/BmpTestFiles.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

// Files are written with designated initializers naming only what differs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace velvane;
using velvane::test::BmpFile;
using velvane::test::MessageOf;

namespace {

std::uint32_t Noise(int x, int y, int salt)
{
    std::uint32_t v = std::uint32_t(x) * 2654435761u ^ std::uint32_t(y + 1) * 40503u ^ std::uint32_t(salt) * 97u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return v ^ (v >> 15);
}

// Row y of the picture (0 = top) is row (topDown ? y : h - 1 - y) of the file.
struct Case {
    BmpFile file;
    std::vector<std::vector<QRgb>> expected;  // [y][x], top first
};

// Fills file.rows and expected from a per-pixel function giving the raw
// bytes of that pixel (or, below 8 bits, its index) and its colour.
Case Build(BmpFile file, int w, int h, bool topDown,
           const std::function<std::pair<std::uint32_t, QRgb>(int x, int y)>& pixel)
{
    Case c;
    file.width = w;
    file.height = topDown ? -h : h;
    c.expected.assign(h, std::vector<QRgb>(w));
    std::vector<std::string> rows(h);
    for (int y = 0; y < h; ++y) {
        std::string row;
        std::uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < w; ++x) {
            auto [raw, colour] = pixel(x, y);
            c.expected[y][x] = colour;
            if (file.bits < 8) {
                acc = (acc << file.bits) | raw;
                accBits += file.bits;
                if (accBits == 8) {
                    row.push_back(char(acc));
                    acc = 0;
                    accBits = 0;
                }
            } else {
                for (int b = 0; b < file.bits / 8; ++b) row.push_back(char((raw >> (8 * b)) & 0xFF));
            }
        }
        if (accBits) row.push_back(char(acc << (8 - accBits)));
        rows[topDown ? y : h - 1 - y] = row;
    }
    file.rows = rows;
    c.file = file;
    return c;
}

void ExpectPixels(const QImage& image, const Case& c, const std::string& what)
{
    const int h = int(c.expected.size()), w = int(c.expected[0].size());
    ASSERT_EQ(image.format(), QImage::Format_RGB32) << what;
    ASSERT_EQ(image.width(), w) << what;
    ASSERT_EQ(image.height(), h) << what;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(image.pixel(x, y), c.expected[y][x]) << what << " at " << x << "," << y;
}

std::vector<QRgb> Palette(int n)
{
    std::vector<QRgb> p;
    for (int i = 0; i < n; ++i) p.push_back(qRgb(i * 37 & 0xFF, 255 - i, (i * 91 + 17) & 0xFF));
    return p;
}

// Noisy indices into the file's palette.
std::function<std::pair<std::uint32_t, QRgb>(int, int)> Indexed(const BmpFile& f, int salt)
{
    return [&f, salt](int x, int y) {
        const std::uint32_t index = Noise(x, y, salt) % f.palette.size();
        return std::pair{index, f.palette[index]};
    };
}

// Raw bytes holding blue, green and red from the lowest byte up.
std::pair<std::uint32_t, QRgb> Direct(std::uint32_t v) { return {v, qRgb((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF)}; }

QImage NoisyImage(int w, int h, int salt)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, 0xFF000000u | (Noise(x, y, salt) & 0xFFFFFF));
    return image;
}

std::uint32_t Expand5(std::uint32_t v) { return (v << 3) | (v >> 2); }
std::uint32_t Expand6(std::uint32_t v) { return (v << 2) | (v >> 4); }

// Every odd and even width from 1 to 7, both row orders, three rows.
void ForEachShape(const std::function<void(int w, int h, bool topDown, const std::string& what)>& f)
{
    for (int w = 1; w <= 7; ++w)
        for (bool topDown : {false, true})
            f(w, 3, topDown, "width " + std::to_string(w) + (topDown ? " top-down" : " bottom-up"));
}

void CheckDepth(const BmpFile& base, int expectedBits,
                const std::function<std::pair<std::uint32_t, QRgb>(int x, int y)>& pixel)
{
    ForEachShape([&](int w, int h, bool topDown, const std::string& what) {
        if (base.headerSize == 12 && topDown) return;  // the old header has no top-down form
        const Case c = Build(base, w, h, topDown, pixel);
        int bits = 0;
        const QImage image = DecodeBmp(c.file.Bytes(), &bits);
        EXPECT_EQ(bits, expectedBits) << what;
        ExpectPixels(image, c, what);
    });
}

} // namespace

TEST(BmpCodec, PalettedDepths)
{
    for (int bits : {1, 4, 8}) {
        const BmpFile f{.bits = bits, .palette = Palette(1 << bits)};
        CheckDepth(f, bits, Indexed(f, bits));
    }
    // A short palette (colours used) is enough while the indices stay in it.
    const BmpFile shortPalette{.bits = 8, .colorsUsed = 3, .palette = Palette(3)};
    CheckDepth(shortPalette, 8, Indexed(shortPalette, 5));
}

TEST(BmpCodec, SixteenBitsDefaultAndMasks)
{
    CheckDepth(BmpFile{.bits = 16}, 16, [](int x, int y) {
        const std::uint32_t v = Noise(x, y, 16) & 0xFFFF;  // the top bit is unused
        return std::pair{v, qRgb(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31))};
    });
    for (std::uint32_t headerSize : {40u, 108u, 124u})
        CheckDepth(BmpFile{.headerSize = headerSize, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}},
                   16, [](int x, int y) {
                       const std::uint32_t v = Noise(x, y, 565) & 0xFFFF;
                       return std::pair{v, qRgb(Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31))};
                   });
    // The rounding the helpers stand for, in plain numbers: a 5-bit 16 is
    // 0x84, a 6-bit 32 is 0x82, a full channel 255.
    const auto pixel = [](BmpFile f, std::uint32_t v) {
        f.width = f.height = 1;
        f.rows = {std::string{char(v & 0xFF), char(v >> 8)}};
        return DecodeBmp(f.Bytes()).pixel(0, 0);
    };
    const BmpFile rgb565{.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}};
    EXPECT_EQ(pixel(BmpFile{.bits = 16}, 0x4210), qRgb(0x84, 0x84, 0x84));
    EXPECT_EQ(pixel(BmpFile{.bits = 16}, 0x7FFF), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(rgb565, 0x8410), qRgb(0x84, 0x82, 0x84));
    EXPECT_EQ(pixel(rgb565, 0xFFFF), qRgb(255, 255, 255));
}

TEST(BmpCodec, TwentyFourAndThirtyTwoBits)
{
    // B, G, R in file order; a fourth byte is ignored.
    CheckDepth(BmpFile{.bits = 24}, 24, [](int x, int y) { return Direct(Noise(x, y, 24) & 0xFFFFFF); });
    CheckDepth(BmpFile{.bits = 32}, 32, [](int x, int y) { return Direct(Noise(x, y, 32)); });

    // Masks in an unusual order prove the masks are what is read.
    const BmpFile fields{.bits = 32, .compression = 3, .masks = {0x0000FF00, 0xFF000000, 0x000000FF}};
    CheckDepth(fields, 32, [](int x, int y) {
        const std::uint32_t v = Noise(x, y, 33);
        return std::pair{v, qRgb((v >> 8) & 0xFF, v >> 24, v & 0xFF)};
    });
    // Ten bits a channel keep their top eight.
    const BmpFile tenBits{.bits = 32, .compression = 3, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}};
    CheckDepth(tenBits, 32, [](int x, int y) {
        const std::uint32_t v = Noise(x, y, 10);
        return std::pair{v, qRgb((v >> 22) & 0xFF, (v >> 12) & 0xFF, (v >> 2) & 0xFF)};
    });
}

TEST(BmpCodec, OldCoreHeader)
{
    const BmpFile paletted{.headerSize = 12, .bits = 8, .palette = Palette(256)};
    CheckDepth(paletted, 8, Indexed(paletted, 12));
    CheckDepth(BmpFile{.headerSize = 12, .bits = 24}, 24, [](int x, int y) { return Direct(Noise(x, y, 13) & 0xFFFFFF); });
}

TEST(BmpCodec, WriteThenReadGivesTheSamePixels)
{
    // Every small width, then bands of many rows with a short last one and
    // one row a band (a row wider than the band buffer).
    std::vector<std::pair<int, int>> shapes{{1920, 40}, {22000, 3}};
    for (int w = 1; w <= 7; ++w)
        for (int h : {1, 2, 5}) shapes.emplace_back(w, h);
    for (const auto& [w, h] : shapes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const QImage image = NoisyImage(w, h, w * 10 + h);
        std::string file;
        int pieces = 0;
        EncodeBmp(image, [&](std::string_view piece) {
            file.append(piece);
            ++pieces;
        });
        EXPECT_EQ(file.size(), 54u + std::size_t((w * 3 + 3) / 4 * 4) * h);
        EXPECT_GT(pieces, 1);  // never the whole file in one buffer
        EXPECT_EQ(EncodeBmp(image), file);
        int bits = 0;
        EXPECT_EQ(DecodeBmp(file, &bits), image);
        EXPECT_EQ(bits, 24);
    }
    // Other formats are converted on the way out; alpha is dropped.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(10, 20, 30, 255));
    argb.setPixel(1, 0, qRgba(200, 100, 50, 255));
    const QImage back = DecodeBmp(EncodeBmp(argb));
    EXPECT_EQ(back.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(back.pixel(1, 0), qRgb(200, 100, 50));
    EXPECT_NE(MessageOf<EInvalidGraphic>([] { EncodeBmp(QImage()); }), "no error");
    int pieces = 0;
    EXPECT_NE(MessageOf<EInvalidGraphic>([&] { EncodeBmp(QImage(), [&](std::string_view) { ++pieces; }); }),
              "no error");
    EXPECT_EQ(pieces, 0);
}

TEST(BmpCodec, DecodingIntoAPictureOfTheSameSizeUsesItsMemory)
{
    QImage first(5, 3, QImage::Format_RGB32), second(5, 3, QImage::Format_RGB32);
    first.fill(qRgb(1, 2, 3));
    second.fill(qRgb(4, 5, 6));
    QImage target = DecodeBmp(EncodeBmp(first));
    const uchar* memory = target.constBits();
    DecodeBmp(EncodeBmp(second), target);
    EXPECT_EQ(target, second);
    EXPECT_EQ(target.constBits(), memory);
    // A bad file is refused before the picture is touched.
    const String cut = EncodeBmp(first);
    EXPECT_THROW(DecodeBmp(cut.substr(0, cut.size() - 1), target), EInvalidGraphic);
    EXPECT_EQ(target, second);
}

TEST(BmpCodec, TwoByTwoFileExactly)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0x11, 0x12, 0x13));
    image.setPixel(1, 0, qRgb(0x21, 0x22, 0x23));
    image.setPixel(0, 1, qRgb(0x31, 0x32, 0x33));
    image.setPixel(1, 1, qRgb(0x41, 0x42, 0x43));
    const std::string expected = std::string("BM")
        + std::string("\x46\0\0\0", 4)          // file size 70
        + std::string("\0\0\0\0", 4)            // reserved
        + std::string("\x36\0\0\0", 4)          // pixels at 54
        + std::string("\x28\0\0\0", 4)          // header size 40
        + std::string("\x02\0\0\0\x02\0\0\0", 8)
        + std::string("\x01\0\x18\0", 4)        // one plane, 24 bits
        + std::string("\0\0\0\0", 4)            // BI_RGB
        + std::string("\x10\0\0\0", 4)          // image size 16
        + std::string("\x13\x0B\0\0\x13\x0B\0\0", 8)  // 2835 px/m
        + std::string(8, '\0')                  // colours used, important
        // bottom row first, each padded from 6 to 8 bytes
        + std::string("\x33\x32\x31\x43\x42\x41\0\0", 8)
        + std::string("\x13\x12\x11\x23\x22\x21\0\0", 8);
    EXPECT_EQ(EncodeBmp(image), expected);
}

TEST(BmpCodec, EveryTruncationRaises)
{
    for (const BmpFile& base : {BmpFile{.bits = 8, .colorsUsed = 4, .palette = Palette(4)},
                                BmpFile{.headerSize = 12, .bits = 4, .palette = Palette(16)},
                                BmpFile{.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}}}) {
        const std::string whole = Build(base, 3, 3, false, [](int x, int y) {
            return std::pair{std::uint32_t((x + y) % 4), QRgb(0)};
        }).file.Bytes();
        ASSERT_NO_THROW(DecodeBmp(whole));
        for (std::size_t n = 0; n < whole.size(); ++n)
            EXPECT_NE(MessageOf<EInvalidGraphic>([&] { DecodeBmp(whole.substr(0, n)); }), "no error") << n;
    }
    EXPECT_EQ(MessageOf<EInvalidGraphic>([] { DecodeBmp(""); }), "Imagem de mapa de bits inválida: não é um arquivo de mapa de bits");
}

TEST(BmpCodec, HostileHeadersRaiseBeforeAllocating)
{
    const auto base = [] { return Build({}, 2, 2, false, [](int, int) { return std::pair{0u, qRgb(0, 0, 0)}; }).file; };
    const auto reason = [](const std::string& bytes) { return MessageOf<EInvalidGraphic>([&] { DecodeBmp(bytes); }); };
    const std::string prefix = "Imagem de mapa de bits inválida: ";

    const std::pair<void (*)(BmpFile&), const char*> fields[] = {
        {[](BmpFile& f) { f.width = 0; }, "a largura não é positiva"},
        {[](BmpFile& f) { f.width = -2; }, "a largura não é positiva"},
        {[](BmpFile& f) { f.height = 0; }, "a altura é zero"},
        // The largest accepted size still needs its bytes to be there.
        {[](BmpFile& f) { f.width = 8192, f.height = -8192; }, "dados dos pixels truncados"},
        {[](BmpFile& f) { f.planes = 2; }, "o número de planos não é 1"},
        {[](BmpFile& f) { f.bits = 7; }, "bits por pixel não suportados"},
        {[](BmpFile& f) { f.compression = 1; }, "a compressão por carreiras não é suportada"},
        {[](BmpFile& f) { f.compression = 4; }, "compressão não suportada"},
        {[](BmpFile& f) { f.compression = 3; }, "máscaras de bits precisam de 16 ou 32 bits por pixel"},
        {[](BmpFile& f) { f.headerSize = 41; }, "tamanho de cabeçalho desconhecido"},
    };
    for (const auto& [change, why] : fields) {
        BmpFile f = base();
        change(f);
        EXPECT_EQ(reason(f.Bytes()), prefix + why) << why;
    }

    // Declared sizes far beyond the file: refused from the header alone.
    for (auto [w, h] : std::vector<std::pair<int, int>>{
             {32769, 1}, {1, 32769}, {1, -32769}, {20000, 20000}, {8193, 8192}, {16384, -16384},
             {0x7FFFFFFF, 0x7FFFFFFF}, {1, INT32_MIN}}) {
        BmpFile f = base();
        f.width = w;
        f.height = h;
        EXPECT_EQ(reason(f.Bytes()), prefix + "imagem grande demais") << w << "x" << h;
    }

    BmpFile masks = Build({.bits = 16, .compression = 3, .masks = {0x1F0000, 0x07E0, 0x001F}}, 2, 1, false,
                          [](int, int) { return std::pair{0u, QRgb(0)}; }).file;
    EXPECT_EQ(reason(masks.Bytes()), prefix + "máscara de cor mais larga que o pixel");
    masks.masks = {0xF00F, 0x07E0, 0x001F};
    EXPECT_EQ(reason(masks.Bytes()), prefix + "a máscara de cor não é contígua");

    // The first index past a palette of two is 2.
    BmpFile paletted = Build({.bits = 8, .colorsUsed = 2, .palette = Palette(2)}, 3, 1, true,
                             [](int x, int) { return std::pair{std::uint32_t(x == 2 ? 2 : 1), QRgb(0)}; }).file;
    EXPECT_EQ(reason(paletted.Bytes()), prefix + "índice além da paleta");
    paletted.colorsUsed = 300;
    EXPECT_EQ(reason(paletted.Bytes()), prefix + "paleta maior do que a profundidade permite");
    paletted.colorsUsed = 0;  // a full palette of 256 entries that the file does not have
    EXPECT_EQ(reason(paletted.Bytes()), prefix + "a paleta passa do fim do arquivo");

    // Pixel data offset past the end, or inside the headers.
    std::string bytes = base().Bytes();
    bytes[10] = char(0xFF);
    bytes[11] = char(0xFF);
    EXPECT_EQ(reason(bytes), prefix + "início dos pixels fora do arquivo");
    bytes = base().Bytes();
    bytes[10] = 20;
    EXPECT_EQ(reason(bytes), prefix + "início dos pixels fora do arquivo");

    bytes = base().Bytes();
    bytes[0] = 'M';
    bytes[1] = 'B';
    EXPECT_EQ(reason(bytes), prefix + "não é um arquivo de mapa de bits");
}
