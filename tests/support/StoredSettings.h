#pragma once
// What the settings store holds under the programs' key, read past the
// programs' own objects.

#include "platform/win/Registry.h"

namespace velvane::test {

inline bool StoredSetting(const char* name)
{
    TRegistry reg;
    return reg.OpenKey("\\Software\\Velvane", false) && reg.ValueExists(name);
}

} // namespace velvane::test
