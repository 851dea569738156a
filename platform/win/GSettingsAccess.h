#pragma once
// GSettings string keys through GIO, with the schema looked up first so a
// missing schema or key is an answer, not a crash.

#include "platform/rtl/Types.h"

namespace velvane {

bool GSettingsHasKey(const String& schema, const String& key);
// Writes the key when the schema has it and syncs; false otherwise.
bool GSettingsSetString(const String& schema, const String& key, const String& value);

} // namespace velvane
