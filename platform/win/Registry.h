#pragma once
// TRegistry: the class library's object over the registry calls.
//
// Reading a value that is missing, or stored with another kind, raises
// ERegistryException naming the value, except ReadString, for which a missing
// value is empty text. A failure of the store itself is raised the same way,
// with the store's own words added.

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinReg.h"

#include <optional>
#include <vector>

namespace velvane {

class TStrings;

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
public:
    TRegistry() : TRegistry(KEY_ALL_ACCESS) {}
    explicit TRegistry(REGSAM access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY root);  // closes the open key
    HKEY CurrentKey() const { return currentKey_; }
    const String& CurrentPath() const { return currentPath_; }

    // A key starting with '\' is taken from the root; otherwise from the open
    // key, if any. False when the key is missing (and not to be created) or
    // the store cannot be used.
    bool OpenKey(const String& key, bool canCreate);
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();
    bool KeyExists(const String& key);
    bool DeleteKey(const String& key);

    // False only when the value (or the key) is not there; a store that
    // cannot tell raises.
    bool ValueExists(const String& name);
    bool DeleteValue(const String& name);
    TRegDataType GetDataType(const String& name);
    // Bytes the value takes (text with its terminator); -1 when missing.
    int GetDataSize(const String& name);
    void GetValueNames(TStrings& names);
    void GetKeyNames(TStrings& names);

    String ReadString(const String& name);
    void WriteString(const String& name, const String& value);
    int ReadInteger(const String& name);
    void WriteInteger(const String& name, int value);
    bool ReadBool(const String& name);
    void WriteBool(const String& name, bool value);
    Currency ReadCurrency(const String& name);
    void WriteCurrency(const String& name, Currency value);
    double ReadFloat(const String& name);
    void WriteFloat(const String& name, double value);
    TDateTime ReadDateTime(const String& name);
    void WriteDateTime(const String& name, TDateTime value);
    TDateTime ReadDate(const String& name) { return ReadDateTime(name); }
    void WriteDate(const String& name, TDateTime value) { WriteDateTime(name, value); }
    TDateTime ReadTime(const String& name) { return ReadDateTime(name); }
    void WriteTime(const String& name, TDateTime value) { WriteDateTime(name, value); }
    // Copies at most bufferSize bytes; returns the number copied.
    int ReadBinaryData(const String& name, void* buffer, int bufferSize);
    void WriteBinaryData(const String& name, const void* buffer, int size);

private:
    HKEY KeyFor(const String& key, String& relative) const;
    void ChangeKey(HKEY key, const String& path);
    // Reads the value whole; raises when the store fails, or when it is
    // missing unless missingIsEmpty (then nullopt).
    std::optional<std::vector<BYTE>> GetData(const String& name, DWORD& kind, bool missingIsEmpty);
    void PutData(const String& name, const void* data, DWORD size, DWORD kind);
    template <typename T>
    T ReadFixed(const String& name);
    [[noreturn]] void Raise(TErrorText what, const String& name, LONG rc) const;

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = nullptr;
    String currentPath_;
    REGSAM access_;
    String openFailure_;  // why the last OpenKey gave no key
};

} // namespace velvane
