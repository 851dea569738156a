#pragma once
// The picture of a wallpaper file, for desktops that take pixels: the one the
// program offers while it still holds it decoded, or else the file read again.

#include "platform/rtl/Types.h"

#include <QImage>

#include <cstdint>

namespace velvane {

// While it lives, the picture stands for the file at path as the file stands
// when the offer is made: once the file is replaced (by us or by another
// program) the file is read instead. One offer at a time in the process; a
// newer one replaces an older one.
class WallpaperPictureOffer {
public:
    WallpaperPictureOffer(const String& path, const QImage& picture);
    ~WallpaperPictureOffer();
    WallpaperPictureOffer(const WallpaperPictureOffer&) = delete;
    WallpaperPictureOffer& operator=(const WallpaperPictureOffer&) = delete;

private:
    std::uint64_t serial_;
};

// The picture offered for this file when it still stands as offered, else the
// file decoded (a .bmp by our own decoder, another format as Qt reads it).
// Null with the last error set (ERROR_FILE_NOT_FOUND, ERROR_INVALID_DATA)
// when there is no picture.
QImage ReadWallpaperPicture(const String& path);

} // namespace velvane
