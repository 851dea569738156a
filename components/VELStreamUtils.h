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
#include <vector>

namespace velvane {

class TBitmap;
class TStrings;
class TVELWave;

// Writes the compressed stream of the next count bytes of source. A source
// that ends early raises EReadError; a destination being appended to is
// then cut back to where it was.
void WriteCompressedStream(TStream& source, TStream& dest, std::int64_t count);
// Appends the decoded bytes of one compressed stream to dest; more than
// maxBytes of them raise EReadError.
void ReadCompressedStream(TStream& source, TMemoryStream& dest, std::int64_t maxBytes = INT64_MAX);

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
void ReadBitmap(TStream& stream, TBitmap& bitmap, bool compressed);
// The BMP image of one such record, at most maxBytes long (else EReadError),
// into image at position 0.
void ReadBitmapRecord(TStream& stream, TMemoryStream& image, bool compressed, std::int64_t maxBytes);

// The list's text, compressed or after its int32 length.
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
