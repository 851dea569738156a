#pragma once
// The per-user settings store behind the registry calls: one SQLite file,
// $XDG_CONFIG_HOME/velvane/registry.db. Keys are paths such as
// "HKEY_CURRENT_USER\Software\Velvane"; key paths and value names compare
// without regard to case. The file runs in WAL mode with a busy timeout and
// every write is its own transaction (or a batch's, below), so both programs
// can write at once and nothing is lost.

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velvane {

// Value kinds, numbered as the system numbers them.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// A failure of the store itself (file missing, damaged, locked); Code is the
// system error number the registry calls return for it.
class ERegistryStoreError : public ERegistryException {
public:
    ERegistryStoreError(String message, DWORD code) : ERegistryException(std::move(message)), Code(code) {}
    const char* ClassName() const noexcept override { return "ERegistryStoreError"; }
    DWORD Code;
};

class RegistryStore {
public:
    struct Value {
        DWORD Kind = REG_NONE;
        std::string Data;  // text without terminator, or raw bytes; a number as 4 little-endian bytes
        std::size_t Size = 0;  // bytes of Data, also when Data was not read
    };

    // Keeps this thread's use of one store together while it lives. The
    // values of a key are read in one go, at the key's first read, so what is
    // read never mixes two saves of another program; writes are held back
    // until Commit stores them all in one transaction, so no reader sees part
    // of them and a program killed meanwhile leaves none. Reads see the
    // writes held back. Writes not committed are dropped; the other calls act
    // at once. A Batch begun while another of the same store lives on the
    // thread joins it, and only the outer one commits.
    class Batch {
    public:
        // The store must outlive the batch.
        explicit Batch(RegistryStore& store);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Stores the writes held back, all or (raising ERegistryStoreError)
        // none, and ends the batch: later calls act at once.
        void Commit();

    private:
        friend class RegistryStore;
        struct Pending {
            String Path, Name;
            Value Written;
        };
        struct Held {
            Value Read;
            String Damage;  // why the value cannot be read, or ""
        };
        RegistryStore& store_;
        Batch* below_;             // the batch active on this thread before this one
        Batch* joined_ = nullptr;  // the outer batch this one joins
        bool open_ = true;
        std::vector<Pending> writes_;
        // Keys read so far: folded path, then folded value name.
        std::unordered_map<String, std::unordered_map<String, Held>> keys_;
    };

    // The largest value kept, far above anything the programs store. A
    // larger one is refused when written and, should another program have
    // stored one, reads as a damaged value.
    static constexpr std::size_t MaxValueBytes = std::size_t{1} << 20;

    // The store of the current user; opened anew when XDG_CONFIG_HOME has
    // changed since the last call.
    static std::shared_ptr<RegistryStore> ForCurrentUser();
    static String CurrentUserFile();

    explicit RegistryStore(String fileName);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const String& FileName() const { return fileName_; }

    // Every call below raises ERegistryStoreError when the file cannot be
    // used; the file is opened on first use and again after a failure.
    bool KeyExists(const String& path);
    // Creates the key and every missing key above it; true when it was new.
    bool CreateKey(const String& path);
    // Removes the key with its values and every key below it.
    bool DeleteKey(const String& path);
    std::vector<String> SubKeyNames(const String& path);

    // The value's kind and size, and its data when that takes at most room
    // bytes (the size alone is cheap whatever the value holds); nullopt when
    // missing. A value that is not what its kind says (a number that is not
    // a 32-bit integer) or too large raises a damaged-value error naming it.
    std::optional<Value> ReadValue(const String& path, const String& name, std::size_t room = MaxValueBytes);
    void WriteValue(const String& path, const String& name, const Value& value);
    bool DeleteValue(const String& path, const String& name);
    std::vector<String> ValueNames(const String& path);

private:
    class Statement;
    void Open();
    void Close();
    [[noreturn]] void Fail(int rc, TErrorText what);
    [[noreturn]] void FailDamaged(const String& why);
    [[noreturn]] void DamagedValue(const String& path, const String& name, const String& why) const;
    // Why the file's tables are not laid out as this store keeps them, or "".
    String LayoutFault();
    // SQLite's reason for a failed call, with the system's where it has one.
    String Reason(int rc) const;
    // Whether SQLite finds damage inside the file, and its reason, or "".
    String IntegrityFault();
    sqlite3_stmt* Prepare(int slot, const char* sql);
    // Runs work inside BEGIN IMMEDIATE ... COMMIT, rolled back if it raises.
    template <typename F>
    auto InTransaction(F&& work);
    // The open, outer batch of this store on this thread, if any.
    Batch* OpenBatch() const;
    // The value of the row a read query stands on (row id, kind, type of
    // data, number), whose data is kept when it takes at most room bytes;
    // why it is damaged, or "".
    String Decode(sqlite3_stmt* row, std::size_t room, Value& v);
    // Every value of the key, in one read.
    std::unordered_map<String, Batch::Held> ReadKey(const String& path);
    std::optional<Value> ReadInBatch(Batch& batch, const String& path, const String& name, std::size_t room);
    // Inside a transaction: the key (made again should another program have
    // removed it) and the value.
    void Put(const String& path, const String& name, const Value& value);
    void WriteValues(const std::vector<Batch::Pending>& writes);

    String fileName_;
    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    bool reopen_ = false;
    std::vector<sqlite3_stmt*> statements_;
    std::unordered_set<String> knownKeys_;  // folded paths of keys known to exist
};

} // namespace velvane
