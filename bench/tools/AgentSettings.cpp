// Writes settings lines ("name|value|Type", as the programs keep them) into
// the current user's store, for runs of the agent by hand and by the idle
// benchmark:  agent_settings "cfg_Action|1|Integer" "cfg_Activate|True|Boolean" ...

#include "settings/WinRegistry.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    using namespace velvane;
    try {
        TWinRegistry store(nullptr);
        store.HootKey = THootKey::HKEY_CURRENT_USER;
        store.Path = "Software\\Velvane\\";
        for (int i = 1; i < argc; ++i) store.WriteValue(argv[i]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
