#pragma once
// GSettings string keys through GIO, with the schema looked up first so a
// missing schema or key is an answer, not a crash.

#include "platform/rtl/Types.h"

#include <optional>

namespace velvane {

bool GSettingsHasKey(const String& schema, const String& key);
// Writes the key when the schema has it and syncs; false otherwise.
bool GSettingsSetString(const String& schema, const String& key, const String& value);
// A string key as it stands, an integer key in decimal; nothing when the
// schema, the key or a value of those types is missing.
std::optional<String> GSettingsGetText(const String& schema, const String& key);

} // namespace velvane
