#pragma once
// The byte formats in which the component library keeps bitmaps, string
// lists and sounds inside its streams: compressed streams of LZRW blocks,
// BMP file images at a chosen colour depth, and small typed values. All
// integers are little-endian.
//
// A compressed stream is an int32 holding the number of bytes that follow
// (4 + length of each block), then the blocks, each an int32 length and an
// LZRW block of at most LZRWChunkSize input bytes.
//
// Every length read is checked against what the stream still holds and the
// format's own limits before anything is allocated for it; a length that
// fails raises EReadError.

#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace velvane {

class TBitmap;
class TStrings;
class TVELWave;

// The most a string list's text and a sound may hold in a stored record,
// compressed or not. A bitmap record is bound by the picture its header
// declares.
constexpr std::int64_t MaxStoredTextBytes = std::int64_t{1} << 20;
constexpr std::int64_t MaxStoredWaveBytes = std::int64_t{32} << 20;

// From the first count bytes of a record, the most bytes the whole record
// may hold, or -1 while too few are known. May raise EReadError for bytes
// that cannot begin such a record.
using TRecordBound = std::function<std::int64_t(const std::uint8_t* bytes, std::int64_t count)>;

// Writes the compressed stream of the next count bytes of source. A source
// that ends early raises EReadError; a destination being appended to is
// then cut back to where it was.
void WriteCompressedStream(TStream& source, TStream& dest, std::int64_t count);
// Appends the decoded bytes of one compressed stream to dest. A block that
// would take them beyond maxBytes, or beyond what bound answers once the
// first bytes are known, raises EReadError before it is written: a stream of
// small blocks that expand hugely costs no more memory than the limit.
void ReadCompressedStream(TStream& source, TMemoryStream& dest, std::int64_t maxBytes,
                          const TRecordBound& bound = nullptr);

// The bitmap as a BMP file image with colors colours: 2, 16 or 256 (1, 4
// or 8 bits with a colour table, each pixel the nearest entry), or 0 for the
// bitmap's own depth (16 and 32 bits are stored as 24). A missing or empty
// bitmap raises Exception "Mapa de bits inválido".
std::vector<std::uint8_t> BitmapToDIBMemory(const TBitmap* bitmap, int colors);
// The BMP image, preceded by its int32 size when withLength.
void WriteDIB(TStream& stream, const TBitmap& bitmap, int colors, bool withLength);
// The BMP image alone (2 colours for a 1-bit bitmap); stream at 0 afterwards.
void BitmapToMemoryStream(TMemoryStream& stream, const TBitmap& bitmap, int colors);
// colors -1: the bitmap's own file form. Compressed: one compressed stream;
// otherwise an int32 length and the image.
void WriteBitmap(TStream& stream, const TBitmap& bitmap, bool compressed, int colors);
// Anything but a BMP image of a picture within the limits of pictures (of
// exactly width x height pixels, when given), and a record longer than such
// a picture needs, raise EReadError; the bitmap then stays as it was.
void ReadBitmap(TStream& stream, TBitmap& bitmap, bool compressed, int width = 0, int height = 0);

// The list's text, compressed or after its int32 length; a text longer than
// MaxStoredTextBytes raises EWriteError and EReadError.
void WriteStrings(TStream& stream, const TStrings& strings, bool compressed);
void ReadStrings(TStream& stream, TStrings& strings, bool compressed);

// The sound, compressed or in its plain form (int32 count and the bytes).
void WriteWave(TStream& stream, TVELWave& wave, bool compressed);
void ReadWave(TStream& stream, TVELWave& wave, bool compressed);

void WriteInt32(TStream& stream, std::int32_t value);
void WriteByte(TStream& stream, std::uint8_t value);
// One length byte and at most 255 bytes of text (longer text is cut).
void WriteShortString(TStream& stream, const String& value);
std::int32_t ReadInt32(TStream& stream);
std::uint8_t ReadByte(TStream& stream);
String ReadShortString(TStream& stream);

} // namespace velvane
