#pragma once
// File dialog filters: the programs write "Text (*.txt)|*.txt|All|*", pairs
// of a description and its ';'-separated patterns; Qt wants
// "Text (*.txt);;All (*)", reading the patterns from the last parentheses.

#include "platform/rtl/Types.h"

namespace velvane {

// Pairs without patterns (an odd last field, an empty one) are left out.
String QtNameFilters(const String& filter);

} // namespace velvane
