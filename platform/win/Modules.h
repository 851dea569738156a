#pragma once
// LoadLibraryA, GetProcAddress and FreeLibrary over a table of modules built
// into the program. Nothing is loaded from disk: a module name (any letter
// case, with or without ".dll") finds its table entry, whose exports are
// plain function addresses. Tests register fake modules under real names.

#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

#include <map>
#include <optional>

namespace velvane {

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = void (*)();

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

// Export name (exact case) to function address.
using ModuleProcs = std::map<String, void*>;

// One handle per loaded module; every load counts. nullptr with
// ERROR_MOD_NOT_FOUND for a name not in the table.
HMODULE LoadLibraryA(LPCSTR name);
// nullptr with ERROR_PROC_NOT_FOUND for a missing export, ERROR_INVALID_HANDLE
// for a handle that is not loaded.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// The handle stops serving when its count reaches 0.
BOOL FreeLibrary(HMODULE module);

// Adds a module or replaces the exports of one; handles already given out
// keep working and answer from the new exports.
void RegisterBuiltInModule(const String& name, ModuleProcs procs);
// Removes a module; its handles stop serving.
void UnregisterBuiltInModule(const String& name);
// The exports of a module, nothing when there is no such module.
std::optional<ModuleProcs> BuiltInModuleProcs(const String& name);

// Puts a module in place (or takes it away, given nothing) for the life of
// the object and then restores what was there.
class ScopedBuiltInModule {
public:
    ScopedBuiltInModule(String name, std::optional<ModuleProcs> procs);
    ~ScopedBuiltInModule();
    ScopedBuiltInModule(const ScopedBuiltInModule&) = delete;
    ScopedBuiltInModule& operator=(const ScopedBuiltInModule&) = delete;

private:
    String name_;
    std::optional<ModuleProcs> previous_;
};

} // namespace velvane
