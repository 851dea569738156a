#pragma once
// The X root window's background pixmap, set the way set-root tools set it so
// that compositors and pseudo-transparent programs find it.

#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

namespace velvane {

// Scales the picture to cover the root window (centre-cropped) and leaves it
// there after we disconnect. Returns ERROR_SUCCESS, ERROR_NOT_SUPPORTED (no
// display, or a visual without true colour), ERROR_FILE_NOT_FOUND or
// ERROR_INVALID_DATA (unreadable picture), or ERROR_GEN_FAILURE.
DWORD SetRootWindowPicture(const String& display, const String& picturePath);

} // namespace velvane
