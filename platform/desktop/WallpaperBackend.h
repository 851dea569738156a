#pragma once
// One way of handing a picture to a desktop.

#include "platform/rtl/Types.h"

#include <QImage>

namespace velvane {

class WallpaperBackend {
public:
    virtual ~WallpaperBackend() = default;
    virtual String Name() const = 0;
    // Shows the picture at the absolute path; false with the last error set.
    virtual bool Set(const String& path) = 0;
    // A desktop that shows pixels rather than a file is given the picture
    // itself, so no file needs to be read or copied for it.
    virtual bool TakesPixels() const { return false; }
    // Shows the picture; false with the last error set.
    virtual bool SetPixels(const QImage& picture);
};

} // namespace velvane
