#pragma once
// Texts handed to desktops: file URIs and script string literals, made safe
// for any path.

#include "platform/rtl/Types.h"

namespace velvane {

// "file://" and the absolute path with every byte outside the unreserved
// characters and '/' percent-encoded (so spaces, quotes, '%' and UTF-8 too).
String FileUri(const String& absolutePath);

// A double-quoted JavaScript string literal holding the text; quotes,
// backslashes and control characters are escaped so it cannot end early.
String JsStringLiteral(const String& text);

} // namespace velvane
