#include "components/VELStreamUtils.h"
#include "components/velprocs.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "tests/support/Raises.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace velvane;
using velvane::test::MessageOf;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

TMemoryStream StreamOf(const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

std::vector<std::uint8_t> BytesOf(TMemoryStream& s)
{
    return std::vector<std::uint8_t>(s.Memory(), s.Memory() + s.Size());
}

std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at)
{
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::vector<std::uint8_t> Mixed(std::size_t n)
{
    std::mt19937 random(11);
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = (i / 5000) % 2 ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>("wallpaper "[i % 10]);
    return bytes;
}

// A compressed stream with one block of the given length field.
std::vector<std::uint8_t> WithBlockLength(std::int32_t total, std::int32_t length, std::size_t bodyBytes)
{
    TMemoryStream s;
    WriteInt32(s, total);
    WriteInt32(s, length);
    std::vector<std::uint8_t> body(bodyBytes, 0x80);
    if (!body.empty()) s.WriteBuffer(body.data(), static_cast<std::int64_t>(body.size()));
    return BytesOf(s);
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

void ExpectSamePixels(const TBitmap& a, const TBitmap& b)
{
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.Image().pixel(x, y), b.Image().pixel(x, y)) << x << "," << y;
}

} // namespace

TEST(CompressedStream, EmptySourceWritesOnlyAZeroTotal)
{
    TMemoryStream source, packed;
    WriteCompressedStream(source, packed, 0);
    EXPECT_EQ(BytesOf(packed), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    packed.SetPosition(0);
    TMemoryStream out;
    ReadCompressedStream(packed, out);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_EQ(packed.Position(), 4);
}

TEST(CompressedStream, SeveralChunksRoundTripAndTheTotalCountsEveryBlock)
{
    const auto data = Mixed(3 * LZRWChunkSize + 1234);
    TMemoryStream source = StreamOf(data);
    TMemoryStream packed;
    WriteInt32(packed, 0x5A5A5A5A);  // something before: the stream is written where it stands
    WriteCompressedStream(source, packed, source.Size());
    const auto bytes = BytesOf(packed);
    const std::int32_t total = Int32At(bytes, 4);
    EXPECT_EQ(total, static_cast<std::int32_t>(bytes.size() - 8));
    // Four blocks, the lengths adding up to the total.
    std::size_t at = 8;
    int blocks = 0;
    while (at < bytes.size()) {
        at += 4 + static_cast<std::size_t>(Int32At(bytes, at));
        ++blocks;
    }
    EXPECT_EQ(blocks, 4);
    EXPECT_EQ(at, bytes.size());

    packed.SetPosition(4);
    TMemoryStream out;
    out.WriteBuffer("old", 3);  // reading appends
    ReadCompressedStream(packed, out);
    const auto decoded = BytesOf(out);
    ASSERT_EQ(decoded.size(), data.size() + 3);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), decoded.begin() + 3));
}

TEST(CompressedStream, SourceEndingEarlyIsAReadErrorAndTheDestinationIsLeftAsItWas)
{
    Watchdog watchdog(20s, "writing from a short source");
    TMemoryStream source = StreamOf(Mixed(40000));
    TMemoryStream packed;
    packed.WriteBuffer("keep", 4);
    EXPECT_THROW(WriteCompressedStream(source, packed, 100000), EReadError);
    EXPECT_EQ(packed.Size(), 4);
    EXPECT_EQ(packed.Position(), 4);
    EXPECT_EQ(std::memcmp(packed.Memory(), "keep", 4), 0);
}

TEST(CompressedStream, HostileLengthsAreReadErrorsNeverLoopsOrHugeAllocations)
{
    Watchdog watchdog(20s, "reading hostile compressed streams");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"negative block length", WithBlockLength(8, -1, 4)},
        {"negative block length that would grow the total", WithBlockLength(100, -50, 92)},
        {"zero block length", WithBlockLength(8, 0, 4)},
        {"block longer than the largest", WithBlockLength(40000, 32783, 39992)},
        {"block longer than the total", WithBlockLength(20, 30, 40)},
        {"total beyond the stream", WithBlockLength(0x7FFFFFFF, 5, 5)},
        {"negative total", WithBlockLength(-4, 5, 5)},
        {"block beyond the stream", WithBlockLength(1000, 990, 10)},
        {"total too short for a block length", WithBlockLength(3, 1, 1)},
        {"total cut", {0x10, 0x00}},
    };
    for (const Case& c : cases) {
        TMemoryStream s = StreamOf(c.bytes);
        TMemoryStream out;
        EXPECT_THROW(ReadCompressedStream(s, out), EReadError) << c.what;
    }
}

TEST(CompressedStream, DamagedBlockInsideAValidFrameIsARefusal)
{
    // Frame fine, block asks to copy from before the start of its output.
    const std::vector<std::uint8_t> bytes{9, 0, 0, 0, 5, 0, 0, 0, 0x40, 0x80, 0x00, 0x00, 0x13};
    TMemoryStream s = StreamOf(bytes);
    TMemoryStream out;
    EXPECT_THROW(ReadCompressedStream(s, out), EReadError);
}

TEST(BitmapImage, HeadersFollowTheColourCount)
{
    const auto picture = Picture(10, 3);
    const TBitmap& bitmap = *picture;
    struct Expect {
        int colors, bits, tableBytes, stride;
    };
    for (const Expect& e : {Expect{2, 1, 8, 4}, Expect{16, 4, 64, 8}, Expect{256, 8, 1024, 12}, Expect{0, 24, 0, 32}}) {
        const auto image = BitmapToDIBMemory(&bitmap, e.colors);
        const std::size_t offset = 54 + static_cast<std::size_t>(e.tableBytes);
        ASSERT_EQ(image.size(), offset + static_cast<std::size_t>(e.stride) * 3) << e.colors;
        EXPECT_EQ(image[0], 'B');
        EXPECT_EQ(image[1], 'M');
        EXPECT_EQ(Int32At(image, 2), static_cast<std::int32_t>(image.size()));
        EXPECT_EQ(Int32At(image, 10), static_cast<std::int32_t>(offset));
        EXPECT_EQ(Int32At(image, 14), 40);
        EXPECT_EQ(Int32At(image, 18), 10);
        EXPECT_EQ(Int32At(image, 22), 3);  // positive: bottom-up rows
        EXPECT_EQ(image[28], e.bits);
        EXPECT_EQ(Int32At(image, 30), 0);
        EXPECT_EQ(Int32At(image, 34), e.stride * 3);
        EXPECT_EQ(Int32At(image, 46), 0);
    }
}

TEST(BitmapImage, PalettedDepthsRoundTripTheirOwnColoursExactly)
{
    const auto picture = Picture(13, 7);
    const TBitmap& bitmap = *picture;
    for (int colors : {16, 256, 0}) {
        TMemoryStream s;
        WriteBitmap(s, bitmap, false, colors);
        s.SetPosition(0);
        TBitmap back;
        ReadBitmap(s, back, false);
        ExpectSamePixels(bitmap, back);
        EXPECT_EQ(s.Position(), s.Size());
    }
}

TEST(BitmapImage, MonochromeKeepsBlackAndWhiteAndMapsOtherColoursToTheNearer)
{
    TBitmap bitmap;
    bitmap.SetSize(9, 2);
    bitmap.Canvas().SetPixels(0, 0, clBlack);
    bitmap.Canvas().SetPixels(1, 0, clWhite);
    bitmap.Canvas().SetPixels(2, 0, 0x303030);
    bitmap.Canvas().SetPixels(3, 0, 0xD0D0D0);
    bitmap.Canvas().SetPixels(8, 1, clBlack);
    TMemoryStream s;
    WriteBitmap(s, bitmap, true, 2);
    s.SetPosition(0);
    TBitmap back;
    ReadBitmap(s, back, true);
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(back.Canvas().Pixels(0, 0), clBlack);
    EXPECT_EQ(back.Canvas().Pixels(1, 0), clWhite);
    EXPECT_EQ(back.Canvas().Pixels(2, 0), clBlack);
    EXPECT_EQ(back.Canvas().Pixels(3, 0), clWhite);
    EXPECT_EQ(back.Canvas().Pixels(8, 1), clBlack);
    EXPECT_EQ(back.Canvas().Pixels(7, 1), clWhite);
}

TEST(BitmapImage, OffPaletteColoursTakeTheNearestEntry)
{
    TBitmap bitmap;
    bitmap.SetSize(2, 1);
    bitmap.Canvas().SetPixels(0, 0, 0x0505FA);  // nearly red
    bitmap.Canvas().SetPixels(1, 0, 0x7F7F80);  // nearly the middle grey
    TMemoryStream s;
    WriteBitmap(s, bitmap, false, 16);
    s.SetPosition(0);
    TBitmap back;
    ReadBitmap(s, back, false);
    EXPECT_EQ(back.Canvas().Pixels(0, 0), clRed);
    EXPECT_EQ(back.Canvas().Pixels(1, 0), clGray);
}

TEST(BitmapImage, OwnFormAndCompressedFormRoundTrip)
{
    const auto picture = Picture(33, 5);
    const TBitmap& bitmap = *picture;
    for (bool compressed : {false, true}) {
        TMemoryStream s;
        WriteBitmap(s, bitmap, compressed, -1);
        WriteInt32(s, 77);  // what follows must be left for the next reader
        s.SetPosition(0);
        TBitmap back;
        ReadBitmap(s, back, compressed);
        ExpectSamePixels(bitmap, back);
        EXPECT_EQ(ReadInt32(s), 77);
    }
}

TEST(BitmapImage, MissingBitmapAndHostileLengthsAreRefused)
{
    EXPECT_EQ(MessageOf<Exception>([] { BitmapToDIBMemory(nullptr, 0); }), "Mapa de bits inválido");
    TBitmap empty;
    EXPECT_EQ(MessageOf<Exception>([&] { BitmapToDIBMemory(&empty, 16); }), "Mapa de bits inválido");

    for (std::int32_t length : {-1, 0x7FFFFFF0, 100}) {
        TMemoryStream s;
        WriteInt32(s, length);
        s.WriteBuffer("BM", 2);
        s.SetPosition(0);
        TBitmap bitmap;
        EXPECT_THROW(ReadBitmap(s, bitmap, false), EReadError) << length;
    }
}

TEST(StringListForm, BothFormsRoundTripAndThePlainLengthIsPatchedIn)
{
    TStringList lines{"primeira linha", "", "ação", "last"};
    for (bool compressed : {false, true}) {
        TMemoryStream s;
        WriteStrings(s, lines, compressed);
        WriteByte(s, 0xAB);
        if (!compressed) {
            EXPECT_EQ(Int32At(BytesOf(s), 0), static_cast<std::int32_t>(lines.Text().size()));
        }
        s.SetPosition(0);
        TStringList back{"stale"};
        ReadStrings(s, back, compressed);
        EXPECT_EQ(back.Text(), lines.Text());
        EXPECT_EQ(ReadByte(s), 0xAB);
    }
    TMemoryStream hostile;
    WriteInt32(hostile, 1000);
    hostile.WriteBuffer("short", 5);
    hostile.SetPosition(0);
    TStringList back;
    EXPECT_THROW(ReadStrings(hostile, back, false), EReadError);
}

TEST(TypedValues, LittleEndianAndShortStringsCutAtACharacter)
{
    TMemoryStream s;
    WriteInt32(s, -2);
    WriteByte(s, 7);
    WriteShortString(s, "Olá");
    String longText(254, 'x');
    longText += "é";  // 256 bytes: cutting at 255 would split the letter
    WriteShortString(s, longText);
    const auto bytes = BytesOf(s);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 5)),
              (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 7}));
    s.SetPosition(0);
    EXPECT_EQ(ReadInt32(s), -2);
    EXPECT_EQ(ReadByte(s), 7);
    EXPECT_EQ(ReadShortString(s), "Olá");
    EXPECT_EQ(ReadShortString(s), String(254, 'x'));

    TMemoryStream cut;
    WriteByte(cut, 10);
    cut.WriteBuffer("abc", 3);
    cut.SetPosition(0);
    EXPECT_THROW(ReadShortString(cut), EReadError);
    EXPECT_THROW(ReadInt32(cut), EReadError);
}
