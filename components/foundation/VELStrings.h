#pragma once
// Blank and path-delimiter text helpers of the component library. The
// delimiter is this system's ('/'); the names are the library's.

#include "platform/rtl/Types.h"

namespace velvane {

constexpr char PathDelim = '/';

// True for empty text and text made only of spaces.
bool IsBlankStr(const String& text);
// Appends the delimiter unless the text is not blank and already ends with
// it (blank text always gets it).
String AddBackslash(const String& text);
// Removes one trailing delimiter from text that is not blank.
String DelBackslash(const String& text);

} // namespace velvane
