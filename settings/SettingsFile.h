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

// The file's bytes as lines of text: UTF-8, or the Windows code page older
// copies were written in (a leading UTF-8 mark is dropped).
void SetSettingsText(TStrings& lines, std::string_view bytes);

void TakeSettingsKeys(const TStrings& lines, const std::vector<TSettingsKey>& keys);

// Web pages ("http://", "https://", "www.") and, for the pages the
// programs open, mail addresses ("mailto:") are the only addresses taken
// from the file: anything else (a local path, a script) is never opened.
bool IsWebPageAddress(const String& address);
bool IsOpenableAddress(const String& address);

// A downloaded file is the publisher's when its first line names the product.
bool IsGenuineSettingsFile(const TStrings& lines);

} // namespace velvane
