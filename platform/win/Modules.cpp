#include "platform/win/Modules.h"

#include "platform/rtl/AsciiText.h"

#include "platform/win/Ras.h"
#include "platform/win/WinError.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>

namespace velvane {

namespace {

struct Module {
    ModuleProcs procs;
    int refs = 0;
    std::uintptr_t handle = 0;
};

struct Table {
    std::mutex mutex;
    std::map<String, std::shared_ptr<Module>> byName;
    // Handles are never reused, so a stale one cannot reach a later load.
    std::uintptr_t nextHandle = 0x10000;
};

String Key(const String& name)
{
    String key = AsciiLowerCase(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0) key.resize(key.size() - 4);
    return key;
}

Table& Modules()
{
    // Never freed: modules may be released from other objects' destructors
    // at exit.
    static Table* const table = [] {
        auto* t = new Table;
        t->byName.emplace(Key("rasapi32.dll"), std::make_shared<Module>(Module{rasapi::Procs()}));
        return t;
    }();
    return *table;
}

std::shared_ptr<Module> Loaded(Table& table, HMODULE handle)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == 0) return nullptr;
    for (const auto& [name, module] : table.byName)
        if (module->handle == value && module->refs > 0) return module;
    return nullptr;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR name)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    auto found = name ? table.byName.find(Key(name)) : table.byName.end();
    if (found == table.byName.end()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Module& module = *found->second;
    if (module.refs++ == 0) {
        module.handle = table.nextHandle;
        table.nextHandle += 0x10;
    }
    return reinterpret_cast<HMODULE>(module.handle);
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    auto module = Loaded(table, handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto proc = procName ? module->procs.find(procName) : module->procs.end();
    if (proc == module->procs.end() || !proc->second) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(proc->second);
}

BOOL FreeLibrary(HMODULE handle)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    auto module = Loaded(table, handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--module->refs == 0) module->handle = 0;
    return TRUE;
}

void RegisterBuiltInModule(const String& name, ModuleProcs procs)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    auto& module = table.byName[Key(name)];
    if (module)
        module->procs = std::move(procs);
    else
        module = std::make_shared<Module>(Module{std::move(procs)});
}

void UnregisterBuiltInModule(const String& name)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    table.byName.erase(Key(name));
}

std::optional<ModuleProcs> BuiltInModuleProcs(const String& name)
{
    Table& table = Modules();
    std::lock_guard lock(table.mutex);
    auto found = table.byName.find(Key(name));
    if (found == table.byName.end()) return std::nullopt;
    return found->second->procs;
}

ScopedBuiltInModule::ScopedBuiltInModule(String name, std::optional<ModuleProcs> procs)
    : name_(std::move(name)), previous_(BuiltInModuleProcs(name_))
{
    if (procs)
        RegisterBuiltInModule(name_, std::move(*procs));
    else
        UnregisterBuiltInModule(name_);
}

ScopedBuiltInModule::~ScopedBuiltInModule()
{
    if (previous_)
        RegisterBuiltInModule(name_, std::move(*previous_));
    else
        UnregisterBuiltInModule(name_);
}

} // namespace velvane
