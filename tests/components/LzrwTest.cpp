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

// Exactly the room asked for, so a write past it is caught by the checks
// under test rather than landing in spare capacity.
Bytes Decompress(const Bytes& block, int capacity = LZRWChunkSize)
{
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

// Words in random order: matches of every length and distance.
Bytes Text(std::size_t n)
{
    static const char* words[] = {"papel ", "de ", "parede ", "imagem ", "velvane ", "the ", "desktop ", "lista\r\n"};
    std::mt19937 random(7);
    Bytes bytes;
    while (bytes.size() < n)
        for (const char* w = words[random() % 8]; *w && bytes.size() < n;) bytes.push_back(static_cast<std::uint8_t>(*w++));
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

TEST(LzrwCodec, RoundTripsEveryKindOfInputUpToAFullChunk)
{
    EXPECT_EQ(Compress({}), Bytes{0x80});
    const Bytes noise = Random(LZRWChunkSize, 4);
    Bytes mixed = Text(20000);
    mixed.insert(mixed.end(), noise.begin(), noise.begin() + 12781);
    std::vector<Bytes> inputs = {{},       {'a'},          {'a', 'b'}, {'a', 'a', 'a'}, Text(1000), Text(LZRWChunkSize),
                                 noise,    Bytes(noise.begin(), noise.end() - 1), Bytes(LZRWChunkSize, 0), mixed};
    // Runs just below, at and above the 16-byte threshold, and of the longest.
    for (int run : {15, 16, 17, 4095, 4096}) {
        inputs.emplace_back(static_cast<std::size_t>(run), 'x');
        inputs.back().push_back('y');
    }
    for (const Bytes& input : inputs) {
        const Bytes block = Compress(input);
        EXPECT_LE(block.size(), input.size() + 1);
        EXPECT_EQ(Decompress(block), input) << "input of " << input.size() << " bytes";
    }
    // What does not shrink is stored: a full chunk of noise takes the largest block.
    EXPECT_EQ(Compress(noise).size(), static_cast<std::size_t>(LZRWMaxBlock));
    EXPECT_EQ(Compress(Bytes{'a', 'b'}), (Bytes{0x80, 'a', 'b'}));
}

TEST(LzrwCodec, ItemsAreLaidOutAsStoredFormsExpect)
{
    // Control word 0xC000 (two copy items), a run of 4095, a run of 905.
    EXPECT_EQ(Compress(Bytes(5000, 'A')), (Bytes{0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'A', 0x00, 0x03, 0x79, 'A'}));
    // Eight literals, then "abcdefgh" again: one match of 8 bytes from 8 back.
    const Bytes twice{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    EXPECT_EQ(Compress(twice), (Bytes{0x40, 0x00, 0x80, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00, 0x85}));
    // An overlapping copy repeats what it just wrote: "ab" then 6 from 2 back.
    EXPECT_EQ(Decompress(Block(0x2000, {'a', 'b', 0x00, 0x23})), (Bytes{'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b'}));
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
        {"control word cut short",
         Block(0x0000, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 0x80}), 64},
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
    input.insert(input.begin() + 100, 40, 'r');
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
