#include "platform/win/WinReg.h"

#include "platform/win/InternetSettings.h"
#include "platform/win/WinError.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace velvane {

namespace {

thread_local String lastStoreError;

// Open keys: a handle stands for a full key path in the store.
std::mutex handlesMutex;
std::unordered_map<std::uintptr_t, String> handles;
std::uintptr_t nextHandle = 0x1000;

const char* RootName(HKEY key)
{
    switch (reinterpret_cast<std::uintptr_t>(key)) {
    case 0x80000000u: return "HKEY_CLASSES_ROOT";
    case 0x80000001u: return "HKEY_CURRENT_USER";
    case 0x80000002u: return "HKEY_LOCAL_MACHINE";
    case 0x80000003u: return "HKEY_USERS";
    case 0x80000004u: return "HKEY_PERFORMANCE_DATA";
    case 0x80000005u: return "HKEY_CURRENT_CONFIG";
    case 0x80000006u: return "HKEY_DYN_DATA";
    default: return nullptr;
    }
}

// The full path of an open or predefined key.
bool KeyPath(HKEY key, String& path)
{
    if (const char* root = RootName(key)) {
        path = root;
        return true;
    }
    std::lock_guard lock(handlesMutex);
    auto it = handles.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == handles.end()) return false;
    path = it->second;
    return true;
}

// Joins a sub-key onto a key path; empty segments (doubled, leading or
// trailing backslashes) are dropped.
String Join(const String& path, LPCSTR subKey)
{
    String result = path;
    if (!subKey) return result;
    const char* p = subKey;
    while (*p) {
        const char* end = std::strchr(p, '\\');
        size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (len > 0) result.append("\\").append(p, len);
        p += len;
        if (*p == '\\') ++p;
    }
    return result;
}

HKEY NewHandle(const String& path)
{
    std::lock_guard lock(handlesMutex);
    std::uintptr_t h = nextHandle;
    nextHandle += 4;
    handles.emplace(h, path);
    return reinterpret_cast<HKEY>(h);
}

// Runs a store operation, turning its failures into system error numbers.
template <typename F>
LONG Guarded(F&& operation)
{
    lastStoreError.clear();
    try {
        return operation(*RegistryStore::ForCurrentUser());
    } catch (const ERegistryStoreError& e) {
        lastStoreError = e.Message();
        return static_cast<LONG>(e.Code);
    } catch (const std::bad_alloc&) {
        return static_cast<LONG>(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::exception& e) {
        // Anything else the store could not handle is a damaged store: the
        // calls promise not to raise.
        lastStoreError = e.what();
        return static_cast<LONG>(ERROR_BADDB);
    }
}

// What of a value the caller's buffer can take: the store reads the data
// only when it fits, and only its size when no buffer is given.
std::size_t Room(LPBYTE data, LPDWORD dataSize) { return data && dataSize ? *dataSize : 0; }

// Copies a value out as the system does: NUL-terminated text, sizes in bytes.
LONG CopyOut(const RegistryStore::Value& v, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    bool text = v.Kind == REG_SZ || v.Kind == REG_EXPAND_SZ;
    DWORD needed = static_cast<DWORD>(v.Size + (text ? 1 : 0));
    if (type) *type = v.Kind;
    if (!dataSize) return data ? static_cast<LONG>(ERROR_INVALID_PARAMETER) : static_cast<LONG>(ERROR_SUCCESS);
    if (data) {
        if (*dataSize < needed) {
            *dataSize = needed;
            return static_cast<LONG>(ERROR_MORE_DATA);
        }
        std::memcpy(data, v.Data.data(), v.Data.size());
        if (text) data[v.Data.size()] = 0;
    }
    *dataSize = needed;
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG CopyName(const String& name, LPSTR buffer, LPDWORD size)
{
    if (!buffer || !size) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (*size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return static_cast<LONG>(ERROR_SUCCESS);
}

} // namespace

const String& RegLastStoreError() { return lastStoreError; }

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result)
{
    String base;
    if (!result) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (!KeyPath(key, base)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    String path = Join(base, subKey);
    return Guarded([&](RegistryStore& store) {
        // No sub-key opens the same key again; the root keys always exist.
        if (path != base && !store.KeyExists(path) && !DesktopProvidesKey(path))
            return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        *result = NewHandle(path);
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, void*, PHKEY result,
                     LPDWORD disposition)
{
    String base;
    if (!result) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (!KeyPath(key, base)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    String path = Join(base, subKey);
    return Guarded([&](RegistryStore& store) {
        bool created = store.CreateKey(path);
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = NewHandle(path);
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

LONG RegCloseKey(HKEY key)
{
    if (RootName(key)) return static_cast<LONG>(ERROR_SUCCESS);
    std::lock_guard lock(handlesMutex);
    return handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? static_cast<LONG>(ERROR_SUCCESS)
                                                                  : static_cast<LONG>(ERROR_INVALID_HANDLE);
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    String base;
    if (!KeyPath(key, base)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    String path = Join(base, subKey);
    if (path == base) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    return Guarded([&](RegistryStore& store) {
        return store.DeleteKey(path) ? static_cast<LONG>(ERROR_SUCCESS) : static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    });
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    String path;
    if (!KeyPath(key, path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    return Guarded([&](RegistryStore& store) {
        auto value = store.ReadValue(path, valueName ? valueName : "", Room(data, dataSize));
        if (!value) value = DesktopProvidedValue(path, valueName ? valueName : "");
        if (!value) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        return CopyOut(*value, type, data, dataSize);
    });
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    String path;
    if (!KeyPath(key, path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (!data && dataSize) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    RegistryStore::Value value;
    value.Kind = type;
    if (data) value.Data.assign(reinterpret_cast<const char*>(data), dataSize);
    if (type == REG_DWORD && dataSize != 4) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // Stored without the terminator the caller counted.
        size_t nul = value.Data.find('\0');
        if (nul != String::npos) value.Data.resize(nul);
    }
    return Guarded([&](RegistryStore& store) {
        store.WriteValue(path, valueName ? valueName : "", value);
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    String path;
    if (!KeyPath(key, path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    return Guarded([&](RegistryStore& store) {
        return store.DeleteValue(path, valueName ? valueName : "") ? static_cast<LONG>(ERROR_SUCCESS)
                                                                   : static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR, LPDWORD, void*)
{
    String path;
    if (!KeyPath(key, path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    return Guarded([&](RegistryStore& store) {
        auto names = store.SubKeyNames(path);
        if (index >= names.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
        return CopyName(names[index], name, nameSize);
    });
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize)
{
    String path;
    if (!KeyPath(key, path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    return Guarded([&](RegistryStore& store) {
        auto names = store.ValueNames(path);
        if (index >= names.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
        LONG rc = CopyName(names[index], name, nameSize);
        if (rc != static_cast<LONG>(ERROR_SUCCESS)) return rc;
        if (!type && !data && !dataSize) return rc;  // the name alone
        auto value = store.ReadValue(path, names[index], Room(data, dataSize));
        if (!value) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
        return CopyOut(*value, type, data, dataSize);
    });
}

} // namespace velvane
