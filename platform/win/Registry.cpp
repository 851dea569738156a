#include "platform/win/Registry.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/WinError.h"

#include <cstring>

namespace velvane {

namespace {
constexpr LONG kSuccess = static_cast<LONG>(ERROR_SUCCESS);
constexpr LONG kNotFound = static_cast<LONG>(ERROR_FILE_NOT_FOUND);

bool IsStoreFailure(LONG rc)
{
    auto code = static_cast<DWORD>(rc);
    return code == ERROR_BADDB || code == ERROR_BUSY || code == ERROR_CANTOPEN || code == ERROR_CANTWRITE ||
           code == ERROR_NOT_ENOUGH_MEMORY;
}
} // namespace

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root)
{
    CloseKey();
    rootKey_ = root;
}

void TRegistry::CloseKey()
{
    if (currentKey_) RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
}

void TRegistry::ChangeKey(HKEY key, const String& path)
{
    CloseKey();
    currentKey_ = key;
    currentPath_ = path;
}

HKEY TRegistry::KeyFor(const String& key, String& relative) const
{
    if (!key.empty() && key[0] == '\\') {
        relative = key.substr(1);
        return rootKey_;
    }
    relative = key;
    return currentKey_ ? currentKey_ : rootKey_;
}

bool TRegistry::OpenKey(const String& key, bool canCreate)
{
    String relative;
    HKEY base = KeyFor(key, relative);
    bool fromRoot = base == rootKey_;
    HKEY opened = nullptr;
    LONG rc = canCreate ? RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                                          nullptr, &opened, nullptr)
                        : RegOpenKeyExA(base, relative.c_str(), 0, access_, &opened);
    if (rc != kSuccess) {
        openFailure_ = IsStoreFailure(rc) ? RegLastStoreError() : String();
        if (IsStoreFailure(rc)) SetLastError(static_cast<DWORD>(rc));
        return false;
    }
    openFailure_.clear();
    String path = fromRoot || currentPath_.empty() ? relative : currentPath_ + "\\" + relative;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    ChangeKey(opened, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) { return OpenKey(key, false); }

bool TRegistry::KeyExists(const String& key)
{
    String relative;
    HKEY base = KeyFor(key, relative);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_READ, &opened) != kSuccess) return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::DeleteKey(const String& key)
{
    String relative;
    HKEY base = KeyFor(key, relative);
    return RegDeleteKeyA(base, relative.c_str()) == kSuccess;
}

void TRegistry::Raise(TErrorText what, const String& name, LONG rc) const
{
    String message = ErrorText(what, {name});
    // The store's words, for its own failures and for a value it refused.
    String detail = rc != kSuccess && !RegLastStoreError().empty() ? RegLastStoreError()
                                                                    : (!currentKey_ ? openFailure_ : String());
    if (!detail.empty()) message += ": " + detail;
    // A failing store is a system error the error handlers report; a missing
    // value is the caller's to judge.
    if (IsStoreFailure(rc)) SetLastError(static_cast<DWORD>(rc));
    throw ERegistryException(message);
}

bool TRegistry::ValueExists(const String& name)
{
    // Only "not found" is an answer. A store that cannot tell (busy, damaged,
    // unreadable) raises as a read would: a caller that took it for a value
    // never written would write its own over another program's.
    if (!currentKey_ && openFailure_.empty()) return false;
    const LONG rc = RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc == kSuccess) return true;
    if (rc == kNotFound) return false;
    Raise(TErrorText::RegistryGetData, name, rc);
}

bool TRegistry::DeleteValue(const String& name)
{
    return currentKey_ && RegDeleteValueA(currentKey_, name.c_str()) == kSuccess;
}

TRegDataType TRegistry::GetDataType(const String& name)
{
    DWORD kind = REG_NONE;
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &kind, nullptr, nullptr) != kSuccess)
        return TRegDataType::rdUnknown;
    switch (kind) {
    case REG_SZ: return TRegDataType::rdString;
    case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
    case REG_DWORD: return TRegDataType::rdInteger;
    case REG_BINARY: return TRegDataType::rdBinary;
    default: return TRegDataType::rdUnknown;
    }
}

int TRegistry::GetDataSize(const String& name)
{
    DWORD size = 0;
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, &size) != kSuccess) return -1;
    return static_cast<int>(size);
}

namespace {
// Lists names by index until the enumeration runs out.
template <typename Enum>
void ListNames(HKEY key, TStrings& names, Enum enumerate)
{
    names.Clear();
    if (!key) return;
    std::vector<char> buffer(257);
    for (DWORD i = 0;;) {
        auto size = static_cast<DWORD>(buffer.size());
        LONG rc = enumerate(key, i, buffer.data(), &size);
        if (rc == static_cast<LONG>(ERROR_MORE_DATA)) {
            buffer.resize(size + 1);  // a longer name: ask for the same one again
            continue;
        }
        if (rc != kSuccess) break;
        names.Insert(names.Count(), String(buffer.data(), size));
        ++i;
    }
}
} // namespace

void TRegistry::GetValueNames(TStrings& names)
{
    ListNames(currentKey_, names, [](HKEY key, DWORD i, char* buffer, DWORD* size) {
        return RegEnumValueA(key, i, buffer, size, nullptr, nullptr, nullptr, nullptr);
    });
}

void TRegistry::GetKeyNames(TStrings& names)
{
    ListNames(currentKey_, names, [](HKEY key, DWORD i, char* buffer, DWORD* size) {
        return RegEnumKeyExA(key, i, buffer, size, nullptr, nullptr, nullptr, nullptr);
    });
}

std::optional<std::vector<BYTE>> TRegistry::GetData(const String& name, DWORD& kind, bool missingIsEmpty)
{
    // One query for the usual small value; a larger one is asked again at
    // the size the store reports.
    std::vector<BYTE> data(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        auto size = static_cast<DWORD>(data.size());
        LONG rc = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &kind, data.data(), &size);
        if (rc == static_cast<LONG>(ERROR_MORE_DATA)) {
            data.resize(size);
            continue;
        }
        if (rc == kNotFound && missingIsEmpty && currentKey_) return std::nullopt;
        if (rc != kSuccess) Raise(TErrorText::RegistryGetData, name, rc);
        data.resize(size);
        return data;
    }
    Raise(TErrorText::RegistryGetData, name, static_cast<LONG>(ERROR_MORE_DATA));
}

void TRegistry::PutData(const String& name, const void* data, DWORD size, DWORD kind)
{
    LONG rc = RegSetValueExA(currentKey_, name.c_str(), 0, kind, static_cast<const BYTE*>(data), size);
    if (rc != kSuccess) Raise(TErrorText::RegistrySetData, name, rc);
}

template <typename T>
T TRegistry::ReadFixed(const String& name)
{
    DWORD kind = REG_NONE;
    std::vector<BYTE> data = *GetData(name, kind, false);
    DWORD expected = sizeof(T) == 4 ? REG_DWORD : REG_BINARY;
    if (kind != expected || data.size() != sizeof(T)) Raise(TErrorText::RegistryDataType, name, kSuccess);
    T value;
    std::memcpy(&value, data.data(), sizeof(T));
    return value;
}

String TRegistry::ReadString(const String& name)
{
    DWORD kind = REG_NONE;
    std::optional<std::vector<BYTE>> data = GetData(name, kind, true);
    if (!data) return String();
    if (kind != REG_SZ && kind != REG_EXPAND_SZ) Raise(TErrorText::RegistryDataType, name, kSuccess);
    auto text = reinterpret_cast<const char*>(data->data());
    return String(text, strnlen(text, data->size()));
}

void TRegistry::WriteString(const String& name, const String& value)
{
    PutData(name, value.c_str(), static_cast<DWORD>(value.size() + 1), REG_SZ);
}

int TRegistry::ReadInteger(const String& name) { return static_cast<int>(ReadFixed<std::uint32_t>(name)); }

void TRegistry::WriteInteger(const String& name, int value)
{
    auto v = static_cast<std::uint32_t>(value);
    PutData(name, &v, 4, REG_DWORD);
}

bool TRegistry::ReadBool(const String& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }

Currency TRegistry::ReadCurrency(const String& name) { return Currency::FromScaled(ReadFixed<std::int64_t>(name)); }

void TRegistry::WriteCurrency(const String& name, Currency value)
{
    PutData(name, &value.Scaled, 8, REG_BINARY);
}

double TRegistry::ReadFloat(const String& name) { return ReadFixed<double>(name); }

void TRegistry::WriteFloat(const String& name, double value) { PutData(name, &value, 8, REG_BINARY); }

TDateTime TRegistry::ReadDateTime(const String& name) { return ReadFixed<double>(name); }

void TRegistry::WriteDateTime(const String& name, TDateTime value) { WriteFloat(name, value); }

int TRegistry::ReadBinaryData(const String& name, void* buffer, int bufferSize)
{
    DWORD kind = REG_NONE;
    std::vector<BYTE> data = *GetData(name, kind, false);
    if (kind != REG_BINARY && kind != REG_NONE) Raise(TErrorText::RegistryDataType, name, kSuccess);
    if (static_cast<int>(data.size()) > bufferSize) Raise(TErrorText::RegistryGetData, name, static_cast<LONG>(ERROR_MORE_DATA));
    std::memcpy(buffer, data.data(), data.size());
    return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const String& name, const void* buffer, int size)
{
    PutData(name, buffer, static_cast<DWORD>(size), REG_BINARY);
}

} // namespace velvane
