#pragma once
// The X root window's background pixmap, set the way set-root tools set it so
// that compositors and pseudo-transparent programs find it.

#include "platform/rtl/Types.h"

#include <QImage>

#include <cstdint>

namespace velvane {

// Shows the picture on the root window, scaled to cover it and centre-cropped
// (as it is when it already has the screen's size), and leaves it there after
// we disconnect. Returns ERROR_SUCCESS, ERROR_NOT_SUPPORTED (no display, or a
// visual without true colour), ERROR_INVALID_DATA (an empty picture) or
// ERROR_GEN_FAILURE.
std::uint32_t SetRootWindowPicture(const String& display, const QImage& picture);

} // namespace velvane
