#include "components/foundation/VELStreamUtils.h"
#include "components/foundation/velprocs.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using namespace velvane;
using velvane::test::BytesOf;
using velvane::test::StreamOf;
using namespace std::chrono_literals;

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

std::int32_t Int32At(const String& b, std::size_t at)
{
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

String I32(std::int32_t v) { return String(reinterpret_cast<const char*>(&v), 4); }

// Stretches of text and of noise.
String Mixed(std::size_t n)
{
    std::mt19937 random(11);
    String bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = (i / 5000) % 2 ? static_cast<char>(random()) : "wallpaper "[i % 10];
    return bytes;
}

std::unique_ptr<TBitmap> Picture(int w, int h)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(w, h);
    const TColor colours[] = {clBlack, clWhite, clRed, clNavy, clSilver, clGreen, clYellow};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap->Canvas().SetPixels(x, y, colours[(x + 2 * y) % 7]);
    return bitmap;
}

std::unique_ptr<TBitmap> RoundTrip(const TBitmap& bitmap, bool compressed, int colors)
{
    TMemoryStream s;
    WriteBitmap(s, bitmap, compressed, colors);
    WriteInt32(s, 77);  // what follows must be left for the next reader
    s.SetPosition(0);
    auto back = std::make_unique<TBitmap>();
    ReadBitmap(s, *back, compressed);
    EXPECT_EQ(ReadInt32(s), 77);
    return back;
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

TEST(CompressedStream, SeveralChunksRoundTripAndTheTotalCountsEveryBlock)
{
    const String data = Mixed(3 * LZRWChunkSize + 1234);
    TMemoryStream source = StreamOf(data);
    TMemoryStream packed;
    WriteInt32(packed, 0x5A5A5A5A);  // written where the stream stands
    WriteCompressedStream(source, packed, source.Size());
    const String bytes = BytesOf(packed);
    EXPECT_EQ(Int32At(bytes, 4), static_cast<std::int32_t>(bytes.size() - 8));
    int blocks = 0;
    std::size_t at = 8;
    for (; at < bytes.size(); ++blocks) at += 4 + static_cast<std::size_t>(Int32At(bytes, at));
    EXPECT_EQ(blocks, 4);
    EXPECT_EQ(at, bytes.size());

    packed.SetPosition(4);
    TMemoryStream out = StreamOf("old");  // reading appends
    ReadCompressedStream(packed, out, INT64_MAX);
    EXPECT_EQ(BytesOf(out), "old" + data);
}

TEST(CompressedStream, ShortSourcesAndHostileLengthsAreReadErrorsNeverLoopsOrHugeAllocations)
{
    test::Watchdog watchdog(20s, "short sources and hostile compressed streams");
    TMemoryStream source = StreamOf(Mixed(40000));
    TMemoryStream packed = StreamOf("keep");
    packed.SetPosition(4);
    EXPECT_THROW(WriteCompressedStream(source, packed, 100000), EReadError);
    EXPECT_EQ(BytesOf(packed), "keep");

    auto frame = [](std::int32_t total, std::int32_t length, std::size_t body) {
        return I32(total) + I32(length) + String(body, '\x80');
    };
    const std::pair<const char*, String> cases[] = {
        {"negative block length", frame(8, -1, 4)},
        {"negative length that would grow the total", frame(100, -50, 92)},
        {"zero block length", frame(8, 0, 4)},
        {"block longer than the largest", frame(40000, 32783, 39992)},
        {"block longer than the total", frame(20, 30, 40)},
        {"total beyond the stream", frame(0x7FFFFFFF, 5, 5)},
        {"block beyond the stream", frame(1000, 990, 10)},
        {"total too short for a block", frame(3, 1, 1)},
        {"total cut", String("\x10\x00", 2)},
        // A sound frame holding a block that copies from before its output.
        {"damaged block", I32(9) + I32(5) + String("\x40\x80\x00\x00\x13", 5)},
    };
    for (const auto& [what, bytes] : cases) {
        TMemoryStream s = StreamOf(bytes);
        TMemoryStream out;
        EXPECT_THROW(ReadCompressedStream(s, out, INT64_MAX), EReadError) << what;
    }
}

TEST(BitmapImage, HeadersFollowTheColourCountAndEveryDepthRoundTrips)
{
    const auto small = Picture(10, 3);
    struct Expect {
        int colors, bits, tableBytes, stride;
    };
    for (const Expect& e : {Expect{2, 1, 8, 4}, Expect{16, 4, 64, 8}, Expect{256, 8, 1024, 12}, Expect{0, 24, 0, 32}}) {
        const auto raw = BitmapToDIBMemory(small.get(), e.colors);
        const String image(raw.begin(), raw.end());
        const std::size_t offset = 54 + static_cast<std::size_t>(e.tableBytes);
        ASSERT_EQ(image.size(), offset + static_cast<std::size_t>(e.stride) * 3) << e.colors;
        EXPECT_EQ(image.substr(0, 2), "BM");
        EXPECT_EQ(Int32At(image, 2), static_cast<std::int32_t>(image.size()));
        EXPECT_EQ(Int32At(image, 10), static_cast<std::int32_t>(offset));
        EXPECT_EQ(Int32At(image, 22), 3);  // positive: bottom-up rows
        EXPECT_EQ(image[28], e.bits);
    }

    const auto bitmap = Picture(13, 7);
    for (bool compressed : {false, true})
        for (int colors : {-1, 0, 16, 256}) {
            const auto back = RoundTrip(*bitmap, compressed, colors);
            ASSERT_EQ(back->Width(), 13);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(back->Canvas().Pixels(x, y), bitmap->Canvas().Pixels(x, y)) << colors << " " << x << "," << y;
        }

    // Fewer colours take the nearest entry.
    TBitmap near;
    near.SetSize(2, 1);
    near.Canvas().SetPixels(0, 0, 0x0505FA);  // nearly red
    near.Canvas().SetPixels(1, 0, 0xD0D0D0);
    EXPECT_EQ(RoundTrip(near, false, 16)->Canvas().Pixels(0, 0), clRed);
    EXPECT_EQ(RoundTrip(near, true, 2)->Canvas().Pixels(1, 0), clWhite);
}

TEST(StoredValues, StringsRoundTripAndLengthsTheStreamCannotHoldAreRefused)
{
    TStringList lines{"primeira linha", "", "ação", "last"};
    for (bool compressed : {false, true}) {
        TMemoryStream s;
        WriteStrings(s, lines, compressed);
        WriteShortString(s, String(254, 'x') + "é");  // 256 bytes: 255 would split the letter
        s.SetPosition(0);
        TStringList back{"stale"};
        ReadStrings(s, back, compressed);
        EXPECT_EQ(back.Text(), lines.Text());
        EXPECT_EQ(ReadShortString(s), String(254, 'x'));
    }
    for (std::int32_t length : {-1, 0x7FFFFFF0, 100}) {
        TMemoryStream s = StreamOf(I32(length) + "BM short");
        TStringList strings;
        EXPECT_THROW(ReadStrings(s, strings, false), EReadError) << length;
        s.SetPosition(0);
        TBitmap bitmap;
        EXPECT_THROW(ReadBitmap(s, bitmap, false), EReadError) << length;
    }
    TMemoryStream cut = StreamOf("\x0A" "abc");
    EXPECT_THROW(ReadShortString(cut), EReadError);
}
