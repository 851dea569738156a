#pragma once
// Windows bitmap files, read and written by our own code so that every byte
// of a hostile file is checked before anything is allocated for it.

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Types.h"

#include <QImage>

#include <string_view>

namespace velvane {

// Largest picture either codec accepts: a wallpaper's worth (8K is a
// little over 2^25 pixels), so that a small file cannot claim gigabytes.
constexpr int MaxPictureSide = 32768;
constexpr std::int64_t MaxPicturePixels = std::int64_t{1} << 26;

// Reads a whole .bmp file (1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed
// or with bit-field masks) into an RGB32 image. bitsPerPixel, when given,
// receives the file's depth. Raises EInvalidGraphic saying what is wrong.
QImage DecodeBmp(std::string_view bytes, int* bitsPerPixel = nullptr);
// The same into image, whose memory is used again when it is an RGB32 image
// of the picture's size that nothing else shares. Every size and offset is
// checked before image is touched; a palette index past the palette may
// still leave it holding part of the picture.
void DecodeBmp(std::string_view bytes, QImage& image, int* bitsPerPixel = nullptr);

// The image as a 24-bit bottom-up BI_RGB file at 2835 pixels per metre.
// Raises EInvalidGraphic for an empty image.
String EncodeBmp(const QImage& image);
// The same file handed to write a few rows at a time; raises before the
// first piece.
void EncodeBmp(const QImage& image, const TByteSink& write);

} // namespace velvane
