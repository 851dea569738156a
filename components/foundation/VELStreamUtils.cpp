#include "components/foundation/VELStreamUtils.h"

#include "components/foundation/velprocs.h"
#include "components/foundation/velwave.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <unordered_map>

namespace velvane {

namespace {

std::int64_t Remaining(TStream& stream)
{
    return stream.Size() - stream.Position();
}

// A length read from the stream, checked against what it still holds.
std::int32_t ReadLength(TStream& stream)
{
    const std::int32_t length = ReadInt32(stream);
    if (length < 0 || length > Remaining(stream)) throw EReadError("Stream read error");
    return length;
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The colour tables of the paletted depths: black and white; the sixteen
// standard colours; those sixteen, a 6 x 6 x 6 cube and 24 greys.
std::vector<QRgb> ColourTable(int bits)
{
    static const QRgb vga[16] = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    if (bits == 1) return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    std::vector<QRgb> table(vga, vga + 16);
    if (bits == 4) return table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) table.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 24; ++i) table.push_back(qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10));
    return table;
}

// The nearest entry of the table, the first of equals.
class NearestColour {
public:
    explicit NearestColour(const std::vector<QRgb>& table) : table_(table) {}
    std::uint8_t operator()(QRgb pixel)
    {
        pixel &= 0xFFFFFFu;
        auto it = cache_.find(pixel);
        if (it != cache_.end()) return it->second;
        std::size_t best = 0;
        long bestDistance = LONG_MAX;
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const long dr = qRed(pixel) - qRed(table_[i]);
            const long dg = qGreen(pixel) - qGreen(table_[i]);
            const long db = qBlue(pixel) - qBlue(table_[i]);
            const long distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return cache_[pixel] = static_cast<std::uint8_t>(best);
    }

private:
    const std::vector<QRgb>& table_;
    std::unordered_map<QRgb, std::uint8_t> cache_;
};

int OwnBits(const TBitmap& bitmap)
{
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    default: return 24;  // 15, 16, 32 bits and the device's depth are stored as 24
    }
}

} // namespace

// ---------------------------------------------------------- compressed streams

void WriteCompressedStream(TStream& source, TStream& dest, std::int64_t count)
{
    const std::int64_t start = dest.Position();
    const bool appending = start == dest.Size();
    std::vector<std::uint8_t> input(LZRWChunkSize);
    std::vector<std::uint8_t> block(LZRWChunkSize + 6);
    std::int64_t total = 0;
    try {
        WriteInt32(dest, 0);
        while (count > 0) {
            const std::int64_t want = std::min<std::int64_t>(count, LZRWChunkSize);
            const std::int64_t got = source.Read(input.data(), want);
            // A read that brings nothing would otherwise be asked again forever.
            if (got <= 0) throw EReadError("Stream read error");
            const int length = LZRWCompress(input.data(), block.data(), static_cast<int>(got));
            WriteInt32(dest, length);
            dest.WriteBuffer(block.data(), length);
            total += 4 + length;
            if (total > INT32_MAX) throw EWriteError("Compressed stream too large");
            count -= got;
        }
    } catch (...) {
        if (appending) {
            dest.SetPosition(start);
            dest.SetSize(start);
        }
        throw;
    }
    const std::int64_t end = dest.Position();
    dest.SetPosition(start);
    WriteInt32(dest, static_cast<std::int32_t>(total));
    dest.SetPosition(end);
}

void ReadCompressedStream(TStream& source, TMemoryStream& dest, std::int64_t maxBytes, const TRecordBound& bound)
{
    const std::int64_t start = dest.Size();
    bool bounded = !bound;
    std::int64_t made = 0;
    std::int64_t total = ReadLength(source);
    std::vector<std::uint8_t> block;
    std::vector<std::uint8_t> output(LZRWChunkSize);
    while (total > 0) {
        if (total < 4) throw EReadError("Compressed stream is damaged: a block is cut short");
        const std::int32_t length = ReadInt32(source);
        // Also what stops a negative length from growing the total forever.
        if (length < 1 || length > LZRWMaxBlock || length > total - 4)
            throw EReadError("Compressed stream is damaged: block length " + std::to_string(length));
        if (length > Remaining(source)) throw EReadError("Stream read error");
        block.resize(static_cast<std::size_t>(length));
        source.ReadBuffer(block.data(), length);
        const int n = LZRWDecompress(block.data(), length, output.data(), LZRWChunkSize);
        if (n > maxBytes - made) throw EReadError("Compressed stream holds more than its record may");
        dest.Seek(0, TSeekOrigin::soEnd);
        dest.WriteBuffer(output.data(), n);
        made += n;
        if (!bounded) {
            const std::int64_t most = bound(dest.Memory() + start, made);
            if (most >= 0) {
                bounded = true;
                maxBytes = std::min(maxBytes, most);
                if (made > maxBytes) throw EReadError("Compressed stream holds more than its record may");
            }
        }
        total -= 4 + length;
    }
}

// ------------------------------------------------------------------- bitmaps

std::vector<std::uint8_t> BitmapToDIBMemory(const TBitmap* bitmap, int colors)
{
    if (!bitmap || bitmap->Empty()) throw Exception("Mapa de bits inválido");
    int bits;
    switch (colors) {
    case 2: bits = 1; break;
    case 16: bits = 4; break;
    case 256: bits = 8; break;
    default: bits = OwnBits(*bitmap); break;
    }
    const std::vector<QRgb> table = bits <= 8 ? ColourTable(bits) : std::vector<QRgb>();
    const std::size_t tableBytes = bits <= 8 ? 4u << bits : 0;
    const auto width = static_cast<std::size_t>(bitmap->Width());
    const auto height = static_cast<std::size_t>(bitmap->Height());
    const std::size_t stride = (width * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    const std::size_t imageSize = stride * height;
    const std::size_t offset = 14 + 40 + tableBytes;
    const std::size_t total = offset + imageSize;
    if (total > INT32_MAX) throw EInvalidGraphic("Bitmap too large");

    std::vector<std::uint8_t> out(total, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(total));
    Put32(out, 10, static_cast<std::uint32_t>(offset));
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));
    Put16(out, 26, 1);
    Put16(out, 28, static_cast<std::uint16_t>(bits));
    Put32(out, 34, static_cast<std::uint32_t>(imageSize));
    for (std::size_t i = 0; i < table.size(); ++i) {
        out[54 + 4 * i] = static_cast<std::uint8_t>(qBlue(table[i]));
        out[54 + 4 * i + 1] = static_cast<std::uint8_t>(qGreen(table[i]));
        out[54 + 4 * i + 2] = static_cast<std::uint8_t>(qRed(table[i]));
    }

    const QImage& image = bitmap->Image();
    NearestColour nearest(table);
    for (std::size_t y = 0; y < height; ++y) {
        // Bottom-up rows.
        std::uint8_t* row = out.data() + offset + (height - 1 - y) * stride;
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
        for (std::size_t x = 0; x < width; ++x) {
            const QRgb pixel = pixels[x];
            switch (bits) {
            case 1: row[x / 8] |= static_cast<std::uint8_t>(nearest(pixel) << (7 - x % 8)); break;
            case 4: row[x / 2] |= static_cast<std::uint8_t>(nearest(pixel) << (x % 2 ? 0 : 4)); break;
            case 8: row[x] = nearest(pixel); break;
            default:
                row[3 * x] = static_cast<std::uint8_t>(qBlue(pixel));
                row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(pixel));
                row[3 * x + 2] = static_cast<std::uint8_t>(qRed(pixel));
                break;
            }
        }
    }
    return out;
}

void WriteDIB(TStream& stream, const TBitmap& bitmap, int colors, bool withLength)
{
    const std::vector<std::uint8_t> image = BitmapToDIBMemory(&bitmap, colors);
    if (withLength) WriteInt32(stream, static_cast<std::int32_t>(image.size()));
    stream.WriteBuffer(image.data(), static_cast<std::int64_t>(image.size()));
}

void BitmapToMemoryStream(TMemoryStream& stream, const TBitmap& bitmap, int colors)
{
    if (bitmap.PixelFormat() == TPixelFormat::pf1bit) colors = 2;
    WriteDIB(stream, bitmap, colors, false);
    stream.SetPosition(0);
}

void WriteBitmap(TStream& stream, const TBitmap& bitmap, bool compressed, int colors)
{
    TMemoryStream image;
    if (colors == -1)
        bitmap.SaveToStream(image);
    else
        BitmapToMemoryStream(image, bitmap, colors);
    if (compressed) {
        image.SetPosition(0);
        WriteCompressedStream(image, stream, image.Size());
        return;
    }
    WriteInt32(stream, static_cast<std::int32_t>(image.Size()));
    stream.WriteBuffer(image.Memory(), image.Size());
}

namespace {

// The picture size a BMP image's header declares; false while fewer bytes
// than that are known.
bool BmpImageSize(const std::uint8_t* bytes, std::int64_t count, std::int64_t& width, std::int64_t& height)
{
    if (count < 26) return false;
    if (bytes[0] != 'B' || bytes[1] != 'M') throw EReadError("A bitmap record holds no bitmap");
    auto le = [bytes](int at, int n) {
        std::uint32_t v = 0;
        for (int i = n; i-- > 0;) v = v << 8 | bytes[at + i];
        return v;
    };
    if (le(14, 4) == 12) {
        width = le(18, 2);
        height = le(20, 2);
    } else {
        width = static_cast<std::int32_t>(le(18, 4));
        height = static_cast<std::int32_t>(le(22, 4));
        // Top-down images say so with a negative height.
        if (height < 0) height = -height;
    }
    return true;
}

// Headers, a full colour table and its masks, and four bytes a pixel (run
// lengths included) are the most a BMP image of a picture needs.
std::int64_t BmpBytesAtMost(std::int64_t width, std::int64_t height)
{
    return 14 + 124 + 1024 + 16 + 4 * (width + 1) * height;
}

// The most bytes the record may hold once its header is known: the picture
// it declares must be within the limits, and be width x height when asked.
TRecordBound BmpRecordBound(int width, int height)
{
    return [width, height](const std::uint8_t* bytes, std::int64_t count) -> std::int64_t {
        std::int64_t w = 0, h = 0;
        if (!BmpImageSize(bytes, count, w, h)) return -1;
        if (w <= 0 || h <= 0 || w > MaxPictureSide || h > MaxPictureSide || w * h > MaxPicturePixels ||
            (width > 0 && (w != width || h != height)))
            throw EReadError("A bitmap record holds a picture of " + std::to_string(w) + " x " + std::to_string(h) +
                             (width > 0 ? " where " + std::to_string(width) + " x " + std::to_string(height) +
                                              " belongs"
                                        : String()));
        return BmpBytesAtMost(w, h);
    };
}

} // namespace

void ReadBitmap(TStream& stream, TBitmap& bitmap, bool compressed, int width, int height)
{
    const TRecordBound bound = BmpRecordBound(width, height);
    const std::int64_t most = width > 0 ? BmpBytesAtMost(width, height)
                                        : BmpBytesAtMost(MaxPictureSide, MaxPicturePixels / MaxPictureSide);
    TMemoryStream image;
    if (compressed) {
        ReadCompressedStream(stream, image, most, bound);
    } else {
        const std::int32_t length = ReadLength(stream);
        if (length > most) throw EReadError("Bitmap record longer than it may be");
        image.SetSize(length);
        stream.ReadBuffer(image.Memory(), length);
    }
    // A plain record is checked whole; one too short for a header is left to
    // the decoder to refuse.
    const std::int64_t declared = bound(image.Memory(), image.Size());
    if (declared >= 0 && image.Size() > declared) throw EReadError("Bitmap record longer than its picture needs");
    image.SetPosition(0);
    try {
        bitmap.LoadFromStream(image);
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        // However the picture is damaged, the record is.
        throw EReadError("A bitmap record is damaged: " + e.Message());
    }
}

// ------------------------------------------------------- strings and sounds

void WriteStrings(TStream& stream, const TStrings& strings, bool compressed)
{
    TMemoryStream text;
    strings.SaveToStream(text);
    // Never written where it could not be read back.
    if (text.Size() > MaxStoredTextBytes) throw EWriteError("Text too long to store");
    text.SetPosition(0);
    if (compressed) {
        WriteCompressedStream(text, stream, text.Size());
        return;
    }
    WriteInt32(stream, static_cast<std::int32_t>(text.Size()));
    stream.WriteBuffer(text.Memory(), text.Size());
}

void ReadStrings(TStream& stream, TStrings& strings, bool compressed)
{
    TMemoryStream text;
    if (compressed) {
        ReadCompressedStream(stream, text, MaxStoredTextBytes);
    } else {
        const std::int32_t length = ReadLength(stream);
        if (length > MaxStoredTextBytes) throw EReadError("Text record longer than it may be");
        text.SetSize(length);
        stream.ReadBuffer(text.Memory(), length);
    }
    text.SetPosition(0);
    strings.LoadFromStream(text);
}

void WriteWave(TStream& stream, TVELWave& wave, bool compressed)
{
    if (compressed)
        wave.SaveToCompressed(stream);
    else
        wave.WritePlain(stream);
}

void ReadWave(TStream& stream, TVELWave& wave, bool compressed)
{
    if (compressed)
        wave.LoadFromCompressed(stream);
    else
        wave.ReadPlain(stream);
}

// -------------------------------------------------------------- typed values

void WriteInt32(TStream& stream, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    stream.WriteBuffer(bytes, 4);
}

void WriteByte(TStream& stream, std::uint8_t value)
{
    stream.WriteBuffer(&value, 1);
}

void WriteShortString(TStream& stream, const String& value)
{
    std::size_t length = std::min<std::size_t>(value.size(), 255);
    // Not inside a character of several bytes.
    if (length < value.size())
        while (length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80) --length;
    WriteByte(stream, static_cast<std::uint8_t>(length));
    stream.WriteBuffer(value.data(), static_cast<std::int64_t>(length));
}

std::int32_t ReadInt32(TStream& stream)
{
    std::uint8_t bytes[4];
    stream.ReadBuffer(bytes, 4);
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

std::uint8_t ReadByte(TStream& stream)
{
    std::uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

String ReadShortString(TStream& stream)
{
    const std::uint8_t length = ReadByte(stream);
    if (length > Remaining(stream)) throw EReadError("Stream read error");
    String text(length, '\0');
    stream.ReadBuffer(text.data(), length);
    return text;
}

} // namespace velvane
