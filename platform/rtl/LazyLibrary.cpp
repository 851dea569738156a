#include "platform/rtl/LazyLibrary.h"

#include "platform/rtl/Exceptions.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

namespace velvane {

void* LazySymbol(const char* soname, const char* name)
{
    static std::mutex mutex;
    static std::map<std::string, void*> opened;
    std::lock_guard lock(mutex);
    void*& library = opened[soname];
    if (!library && !(library = dlopen(soname, RTLD_NOW | RTLD_LOCAL)))
        throw EOSError("Cannot load " + std::string(soname) + ": " + dlerror());
    dlerror();
    void* symbol = dlsym(library, name);
    if (!symbol) throw EOSError("Cannot find " + std::string(name) + " in " + soname);
    return symbol;
}

} // namespace velvane
