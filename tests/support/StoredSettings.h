#pragma once
// What the settings store holds under the programs' key, read past the
// programs' own objects.

#include "platform/win/Registry.h"
#include "platform/win/RegistryStore.h"

#include <cstdlib>
#include <string>

namespace velvane::test {

inline bool StoredSetting(const char* name)
{
    TRegistry reg;
    return reg.OpenKey("\\Software\\Velvane", false) && reg.ValueExists(name);
}

// Lets go of the current user's store file, as the end of a run does, so
// that the whole of it is in the file and it can be damaged or replaced.
inline void CloseSettingsStore()
{
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", (config + "/elsewhere").c_str(), 1);
    RegistryStore::ForCurrentUser();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

} // namespace velvane::test
