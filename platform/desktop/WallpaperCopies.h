#pragma once
// Desktops cache pictures by path, so each change hands them a copy under a
// fresh name: ".<name>-<number><ext>" beside the picture, the number rising.

#include "platform/rtl/Types.h"

namespace velvane {

// The copy's path, or empty with the last error set. Of the copies made
// before, only the newest is kept: the desktop may still show it.
String MakeWallpaperCopy(const String& picturePath);
// Removes every copy made for the picture except keep.
void RemoveOtherWallpaperCopies(const String& picturePath, const String& keep);

} // namespace velvane
