#pragma once
// One way of handing a picture to a desktop.

#include "platform/rtl/Types.h"

namespace velvane {

class WallpaperBackend {
public:
    virtual ~WallpaperBackend() = default;
    virtual String Name() const = 0;
    // Shows the picture at the absolute path; false with the last error set.
    virtual bool Set(const String& path) = 0;
};

} // namespace velvane
