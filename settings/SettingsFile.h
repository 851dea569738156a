#pragma once
// The server's settings file "kestrin.net": lines of a key and a value
// joined by "=". A line matches a key when the key (with its "=") occurs
// anywhere in it; the value is the line with as many characters taken from
// its start as the key has. Keys are tried in the order given, each on what
// the previous match left of the line; later lines overwrite earlier values.

#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"

#include <utility>
#include <vector>

namespace velvane {

struct TSettingsKey {
    const char* Key;   // with its "=", as "host="
    String* Value;     // where a match goes
    bool* Matched = nullptr;  // set when any line matched
};

void TakeSettingsKeys(const TStrings& lines, const std::vector<TSettingsKey>& keys);

// A downloaded file is the publisher's when its first line names the product.
bool IsGenuineSettingsFile(const TStrings& lines);

} // namespace velvane
