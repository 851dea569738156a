#pragma once
// Text from files written elsewhere: documents and the settings file may
// come in UTF-8 or in the 8-bit Windows code page (1252) they were once
// written in. Such bytes are kept as they are; only what is shown or parsed
// as text is decoded.

#include "platform/rtl/Types.h"

#include <string_view>

namespace velvane {

bool IsValidUtf8(std::string_view bytes);
// The bytes as UTF-8 text: unchanged when they are valid UTF-8, otherwise
// read as Windows-1252 (its five unused bytes as the control characters of
// the same number).
String LegacyTextToUtf8(std::string_view bytes);

} // namespace velvane
