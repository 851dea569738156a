#include "components/velprocs.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace velvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compress(const Bytes& input)
{
    Bytes block(input.size() + 6);
    block.resize(static_cast<std::size_t>(LZRWCompress(input.data(), block.data(), static_cast<int>(input.size()))));
    return block;
}

Bytes Decompress(const Bytes& block, int capacity = LZRWChunkSize)
{
    // Exactly the room asked for, so a write past it is caught by the
    // checks under test rather than landing in spare capacity.
    Bytes out(static_cast<std::size_t>(capacity));
    out.resize(static_cast<std::size_t>(
        LZRWDecompress(block.data(), static_cast<int>(block.size()), out.data(), capacity)));
    return out;
}

Bytes Random(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

Bytes Text(std::size_t n)
{
    static const char* words[] = {"papel ", "de ", "parede ", "imagem ", "velvane ", "the ", "desktop ", "lista\r\n"};
    std::mt19937 random(7);
    Bytes bytes;
    while (bytes.size() < n) {
        const char* w = words[random() % 8];
        while (*w && bytes.size() < n) bytes.push_back(static_cast<std::uint8_t>(*w++));
    }
    return bytes;
}

// A block by hand: flag 0x40, one control word, then the items.
Bytes Block(std::uint16_t control, std::initializer_list<std::uint8_t> items)
{
    Bytes block;
    block.reserve(3 + items.size());
    block.push_back(0x40);
    block.push_back(static_cast<std::uint8_t>(control >> 8));
    block.push_back(static_cast<std::uint8_t>(control));
    for (std::uint8_t item : items) block.push_back(item);
    return block;
}

} // namespace

TEST(LzrwCodec, EmptyAndTinyInputsAreStored)
{
    EXPECT_EQ(Compress({}), Bytes{0x80});
    EXPECT_TRUE(Decompress(Bytes{0x80}).empty());
    for (const Bytes& tiny : {Bytes{'a'}, Bytes{'a', 'b'}, Bytes{'a', 'a', 'a'}}) {
        Bytes block = Compress(tiny);
        ASSERT_EQ(block.size(), tiny.size() + 1);
        EXPECT_EQ(block[0], 0x80);
        EXPECT_EQ(Decompress(block), tiny);
    }
}

TEST(LzrwCodec, RoundTripsEveryKindOfInputUpToAFullChunk)
{
    std::vector<Bytes> inputs = {Text(1000), Text(LZRWChunkSize), Random(LZRWChunkSize, 1), Bytes(LZRWChunkSize, 0),
                                 Random(17, 2)};
    Bytes mixed = Text(20000);
    const Bytes noise = Random(12781, 3);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    inputs.push_back(mixed);
    // Runs just below, at and above the 16-byte threshold, and of the longest.
    for (int run : {15, 16, 17, 4095, 4096}) {
        Bytes r(static_cast<std::size_t>(run), 'x');
        r.push_back('y');
        inputs.push_back(r);
    }
    for (const Bytes& input : inputs) {
        const Bytes block = Compress(input);
        EXPECT_LE(block.size(), input.size() + 1);
        EXPECT_EQ(Decompress(block), input) << "input of " << input.size() << " bytes";
    }
}

TEST(LzrwCodec, IncompressibleFullChunkIsStoredAtTheLargestBlockLength)
{
    const Bytes noise = Random(LZRWChunkSize, 4);
    const Bytes block = Compress(noise);
    EXPECT_EQ(block.size(), static_cast<std::size_t>(LZRWMaxBlock));
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(Decompress(block), noise);
    // A chunk one byte short of full still fits exactly.
    const Bytes shorter(noise.begin(), noise.end() - 1);
    EXPECT_EQ(Compress(shorter).size(), static_cast<std::size_t>(LZRWChunkSize));
}

TEST(LzrwCodec, LongRunsBecomeRunItemsOfAtMost4095)
{
    const Bytes block = Compress(Bytes(5000, 'A'));
    // Control word 0xC000 (two copy items), a run of 4095, a run of 905.
    const Bytes expected{0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'A', 0x00, 0x03, 0x79, 'A'};
    EXPECT_EQ(block, expected);
    EXPECT_EQ(Decompress(block), Bytes(5000, 'A'));
}

TEST(LzrwCodec, RepeatedTextBecomesAMatchItem)
{
    // Eight literals, then "abcdefgh" again: one match of 8 bytes from 8 back.
    const Bytes input{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    EXPECT_EQ(Compress(input), (Bytes{0x40, 0x00, 0x80, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00, 0x85}));
}

TEST(LzrwCodec, OverlappingCopiesRepeatWhatTheyJustWrote)
{
    // Literal 'a', 'b', then a copy of 6 bytes from 2 back: "abababab".
    const Bytes block = Block(0x2000, {'a', 'b', 0x00, 0x23});
    EXPECT_EQ(Decompress(block), (Bytes{'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b'}));
}

TEST(LzrwCodec, HostileBlocksAreRefusedWithoutTouchingOutsideTheBuffers)
{
    struct Case {
        const char* what;
        Bytes block;
        int capacity;
    };
    const std::vector<Case> cases = {
        {"empty", {}, 16},
        {"flag without control word", {0x40, 0x00}, 16},
        {"copy before the start", Block(0x8000, {0x00, 0x13}), 16},
        {"copy reaching one byte before the start", Block(0x4000, {'a', 0x00, 0x20}), 16},
        {"match cut short", Block(0x8000, {0x01}), 16},
        {"run cut short", Block(0x8000, {0x00, 0x00, 0x05}), 64},
        {"control word cut short", Block(0x0000, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm',
                                                  'n', 'o', 'p', 0x80}),
         64},
        {"run past the output", Block(0x8000, {0x00, 0x0F, 0xFF, 'z'}), 100},
        {"literals past the output", Block(0x0000, {'a', 'b', 'c'}), 2},
        {"match past the output", Block(0x4000, {'a', 0x00, 0x1F}), 10},
        {"stored data past the output", Bytes(18, 0x80), 16},
    };
    for (const Case& c : cases) {
        Bytes out(static_cast<std::size_t>(std::max(c.capacity, 1)), 0xEE);
        EXPECT_THROW(LZRWDecompress(c.block.data(), static_cast<int>(c.block.size()), out.data(), c.capacity),
                     EReadError)
            << c.what;
    }
}

TEST(LzrwCodec, EveryTruncationOfARealBlockFailsCleanlyOrDecodesAPrefix)
{
    Bytes input = Text(3000);
    const Bytes run(40, 'r');
    input.insert(input.begin() + 100, run.begin(), run.end());
    const Bytes block = Compress(input);
    ASSERT_EQ(block[0], 0x40);
    for (std::size_t n = 0; n < block.size(); ++n) {
        const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
        Bytes out(input.size() + 1);
        try {
            const int made = LZRWDecompress(cut.data(), static_cast<int>(n), out.data(), static_cast<int>(out.size()));
            // A cut at an item's edge decodes what came before it.
            ASSERT_LE(static_cast<std::size_t>(made), input.size());
            EXPECT_TRUE(std::equal(out.begin(), out.begin() + made, input.begin())) << n;
        } catch (const EReadError&) {
        }
    }
}
