#include "platform/rtl/LazyLibrary.h"

#include "platform/rtl/ErrorTexts.h"
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
    // The loader's own words are English, and its reasons come to the same
    // for the user: the library must be installed.
    if (!library && !(library = dlopen(soname, RTLD_NOW | RTLD_LOCAL)))
        throw EOSError(ErrorText(TErrorText::LibraryCannotLoad, {soname}));
    dlerror();
    void* symbol = dlsym(library, name);
    if (!symbol) throw EOSError(ErrorText(TErrorText::LibraryFunctionMissing, {name, soname}));
    return symbol;
}

} // namespace velvane
