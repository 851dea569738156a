#include "platform/win/RegistryStore.h"

#include "platform/rtl/AsciiText.h"

#include "platform/rtl/AppPaths.h"
#include "platform/win/WinError.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <thread>

namespace velvane {

namespace {

enum Slot {
    kKeyExists,
    kInsertKey,
    kReadValue,
    kReadKey,
    kWriteValue,
    kDeleteValue,
    kValueNames,
    kSubKeys,
    kDeleteTreeValues,
    kDeleteTreeKeys,
    kBegin,
    kCommit,
    kRollback,
    kSlotCount
};

const char* const kSql[kSlotCount] = {
    "SELECT 1 FROM keys WHERE path = ?1",
    "INSERT OR IGNORE INTO keys(path) VALUES(?1)",
    // Text and blobs are sized and read through the row id, so that neither
    // is loaded whole before its size is known.
    "SELECT rowid, kind, typeof(data), CASE WHEN typeof(data) IN ('integer', 'real') THEN data END"
    " FROM vals WHERE path = ?1 AND name = ?2",
    "SELECT rowid, kind, typeof(data), CASE WHEN typeof(data) IN ('integer', 'real') THEN data END, name"
    " FROM vals WHERE path = ?1",
    "INSERT INTO vals(path, name, kind, data) VALUES(?1, ?2, ?3, ?4) "
    "ON CONFLICT(path, name) DO UPDATE SET kind = excluded.kind, data = excluded.data",
    "DELETE FROM vals WHERE path = ?1 AND name = ?2",
    "SELECT name FROM vals WHERE path = ?1 ORDER BY rowid",
    // Keys below a path: every path between "path\" and "path]" ('\' + 1).
    // By path: a table without row ids is still ours.
    "SELECT path FROM keys WHERE path > ?1 || '\\' AND path < ?1 || ']' ORDER BY path",
    "DELETE FROM vals WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')",
    "DELETE FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')",
    // Writers take the write lock first: a write that began as a reader
    // could find its snapshot stale once the other program committed, and
    // that is an error no waiting cures.
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};

DWORD CodeFor(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA: return ERROR_BADDB;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_CANTOPEN;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_CANTWRITE;
    }
}

std::mutex currentUserMutex;
std::shared_ptr<RegistryStore> currentUser;

// The innermost batch of this thread; each links to the one below it.
thread_local RegistryStore::Batch* activeBatch = nullptr;

// The value as a read with room bytes gives it: its data only when it fits.
RegistryStore::Value Fitted(RegistryStore::Value value, std::size_t room)
{
    if (value.Size > room) value.Data.clear();
    return value;
}

struct BlobCloser {
    void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
};

std::string_view ColumnText(sqlite3_stmt* stmt, int column)
{
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : std::string_view();
}

// How the tables are laid out; a file that differs is not a store of ours.
struct TableLayout {
    const char* table;
    std::vector<String> columns;
    std::vector<String> key;  // every key column ignores letter case
};
const TableLayout kLayout[] = {
    {"keys", {"path"}, {"path"}},
    {"vals", {"path", "name", "kind", "data"}, {"path", "name"}},
};

String Listed(const std::vector<String>& names)
{
    String out;
    for (const String& n : names) out += (out.empty() ? "" : ", ") + n;
    return "(" + out + ")";
}

bool SameNames(const std::vector<String>& a, const std::vector<String>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const String& x, const String& y) {
               return SameTextAscii(x, y);
           });
}

} // namespace

// Binds parameters to a cached statement and resets it when it goes out of
// scope, so no read transaction is left open between calls.
class RegistryStore::Statement {
public:
    Statement(RegistryStore& store, int slot) : store_(store), stmt_(store.Prepare(slot, kSql[slot])) {}
    ~Statement()
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement& Text(int index, const String& text)
    {
        Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
        return *this;
    }
    Statement& Blob(int index, const std::string& bytes)
    {
        Check(sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC));
        return *this;
    }
    Statement& Int(int index, std::int64_t value)
    {
        Check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    // True while a row is available.
    bool Step()
    {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        store_.Fail(rc, TErrorText::StoreCannotReadOrWrite);
    }
    sqlite3_stmt* Handle() const { return stmt_; }

private:
    void Check(int rc)
    {
        if (rc != SQLITE_OK) store_.Fail(rc, TErrorText::StoreCannotUse);
    }
    RegistryStore& store_;
    sqlite3_stmt* stmt_;
};

// Only the name: the folder is made when the file is opened, so that asking
// costs no file-system call.
String RegistryStore::CurrentUserFile() { return GetConfigPath(false) + "registry.db"; }

std::shared_ptr<RegistryStore> RegistryStore::ForCurrentUser()
{
    String file = CurrentUserFile();
    std::lock_guard lock(currentUserMutex);
    if (!currentUser || currentUser->FileName() != file) currentUser = std::make_shared<RegistryStore>(file);
    return currentUser;
}

RegistryStore::RegistryStore(String fileName) : fileName_(std::move(fileName)), statements_(kSlotCount, nullptr) {}

RegistryStore::~RegistryStore() { Close(); }

void RegistryStore::Close()
{
    knownKeys_.clear();
    for (sqlite3_stmt*& s : statements_) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void RegistryStore::FailDamaged(const String& why)
{
    reopen_ = true;
    throw ERegistryStoreError(ErrorText(TErrorText::StoreDamaged, {fileName_, why}), ERROR_BADDB);
}

void RegistryStore::DamagedValue(const String& path, const String& name, const String& why) const
{
    throw ERegistryStoreError(ErrorText(TErrorText::StoreValueDamaged, {name, path, fileName_, why}), ERROR_BADDB);
}

String RegistryStore::LayoutFault()
{
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT name, pk FROM pragma_table_info(?1) ORDER BY cid", -1, &info, nullptr) !=
        SQLITE_OK)
        return Reason(sqlite3_extended_errcode(db_));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(info, sqlite3_finalize);
    for (const TableLayout& layout : kLayout) {
        sqlite3_reset(info);
        sqlite3_bind_text(info, 1, layout.table, -1, SQLITE_STATIC);
        std::vector<String> columns;
        std::vector<std::pair<int, String>> key;
        while (sqlite3_step(info) == SQLITE_ROW) {
            columns.emplace_back(ColumnText(info, 0));
            if (const int pk = sqlite3_column_int(info, 1)) key.emplace_back(pk, columns.back());
        }
        if (!SameNames(columns, layout.columns))
            return ErrorText(TErrorText::StoreTableColumns, {layout.table, Listed(columns), Listed(layout.columns)});
        std::sort(key.begin(), key.end());
        std::vector<String> keyNames;
        for (auto& [order, column] : key) keyNames.push_back(column);
        if (!SameNames(keyNames, layout.key))
            return ErrorText(TErrorText::StoreTableKey, {layout.table, Listed(keyNames), Listed(layout.key)});
        for (const String& column : layout.key) {
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db_, "main", layout.table, column.c_str(), nullptr, &collation, nullptr,
                                          nullptr, nullptr);
            if (!collation || !SameTextAscii(collation, "NOCASE"))
                return ErrorText(TErrorText::StoreTableCaseSensitive, {layout.table, column});
        }
    }
    // Values are read through their row ids.
    if (sqlite3_table_column_metadata(db_, "main", "vals", "rowid", nullptr, nullptr, nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return ErrorText(TErrorText::StoreNoRowIds);
    return {};
}

String RegistryStore::IntegrityFault()
{
    sqlite3_stmt* check = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA integrity_check(1)", -1, &check, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(check, sqlite3_finalize);
    if (rc == SQLITE_OK) rc = sqlite3_step(check);
    if (rc != SQLITE_ROW) return Reason(rc);
    return ColumnText(check, 0) == "ok" ? String() : ErrorText(TErrorText::StoreIntegrity);
}

String RegistryStore::Reason(int rc) const
{
    String reason = SqliteResultText(rc);
    const int primary = rc & 0xFF;
    if (db_ && (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_FULL))
        if (const int err = sqlite3_system_errno(db_)) reason += ": " + ErrnoText(err);
    return reason;
}

void RegistryStore::Fail(int rc, TErrorText what)
{
    const DWORD code = CodeFor(rc);
    const String message = ErrorText(code == ERROR_BADDB ? TErrorText::StoreDamaged : what, {fileName_, Reason(rc)});
    // A damaged or unopenable file is tried afresh on the next call (not
    // closed here: a statement in use is still to be reset).
    if (code == ERROR_BADDB || code == ERROR_CANTOPEN) reopen_ = true;
    throw ERegistryStoreError(message, code);
}

void RegistryStore::Open()
{
    if (reopen_) Close();
    reopen_ = false;
    if (db_) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(fileName_).parent_path(), ec);
    // Two programs opening a new file at once race to switch it to WAL; the
    // loser is told the file is locked without waiting, so it tries again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        int rc = sqlite3_open_v2(fileName_.c_str(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db_, 5000);
            sqlite3_extended_result_codes(db_, 1);
            // WAL lets one program read while the other writes; NORMAL syncs
            // at checkpoints, which is safe against a crash of either program.
            rc = sqlite3_exec(db_,
                              "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                              "CREATE TABLE IF NOT EXISTS keys(path TEXT PRIMARY KEY COLLATE NOCASE);"
                              "CREATE TABLE IF NOT EXISTS vals(path TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE,"
                              " kind INTEGER, data BLOB, PRIMARY KEY(path, name))",
                              nullptr, nullptr, nullptr);
        }
        if (rc == SQLITE_OK) {
            // Another program's file, or an old layout, would otherwise fail
            // every later call with a riddle; a damaged tree of rows can take
            // a write and not give it back.
            if (const String fault = LayoutFault(); !fault.empty()) FailDamaged(fault);
            if (const String fault = IntegrityFault(); !fault.empty()) FailDamaged(fault);
            return;
        }
        bool locked = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (!locked || std::chrono::steady_clock::now() > deadline) {
            reopen_ = true;  // whatever went wrong, the next call starts afresh
            Fail(rc, TErrorText::StoreCannotOpen);
        }
        Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

sqlite3_stmt* RegistryStore::Prepare(int slot, const char* sql)
{
    Open();
    if (!statements_[slot]) {
        int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statements_[slot], nullptr);
        if (rc != SQLITE_OK) Fail(rc, TErrorText::StoreCannotPrepare);
    }
    return statements_[slot];
}

// Keys seen once are remembered: opening the settings key before every read
// and write would otherwise cost a query each. Neither program deletes keys
// from another process, and DeleteKey here forgets what it removes.
template <typename F>
auto RegistryStore::InTransaction(F&& work)
{
    Statement(*this, kBegin).Step();
    try {
        auto result = work();
        Statement(*this, kCommit).Step();
        return result;
    } catch (...) {
        if (db_ && !sqlite3_get_autocommit(db_)) {
            sqlite3_stmt* rollback = statements_[kRollback];
            if (rollback || sqlite3_prepare_v2(db_, kSql[kRollback], -1, &statements_[kRollback], nullptr) == SQLITE_OK) {
                sqlite3_step(statements_[kRollback]);
                sqlite3_reset(statements_[kRollback]);
            }
        }
        throw;
    }
}

bool RegistryStore::KeyExists(const String& path)
{
    std::lock_guard lock(mutex_);
    String folded = AsciiLowerCase(path);
    if (db_ && !reopen_ && knownKeys_.count(folded)) return true;
    bool exists = Statement(*this, kKeyExists).Text(1, path).Step();
    if (exists) knownKeys_.insert(folded);
    return exists;
}

bool RegistryStore::CreateKey(const String& path)
{
    std::lock_guard lock(mutex_);
    String folded = AsciiLowerCase(path);
    if (db_ && !reopen_ && knownKeys_.count(folded)) return false;
    if (Statement(*this, kKeyExists).Text(1, path).Step()) {
        knownKeys_.insert(folded);
        return false;
    }
    return InTransaction([&] {
        // Every key above this one exists too, as the system keeps it.
        for (size_t pos = path.find('\\'); pos != String::npos; pos = path.find('\\', pos + 1))
            Statement(*this, kInsertKey).Text(1, path.substr(0, pos)).Step();
        Statement(*this, kInsertKey).Text(1, path).Step();
        bool created = sqlite3_changes(db_) > 0;
        knownKeys_.insert(folded);
        return created;
    });
}

bool RegistryStore::DeleteKey(const String& path)
{
    std::lock_guard lock(mutex_);
    knownKeys_.clear();
    return InTransaction([&] {
        Statement(*this, kDeleteTreeValues).Text(1, path).Step();
        Statement(*this, kDeleteTreeKeys).Text(1, path).Step();
        return sqlite3_changes(db_) > 0;
    });
}

std::vector<String> RegistryStore::SubKeyNames(const String& path)
{
    std::lock_guard lock(mutex_);
    std::vector<String> names;
    Statement s(*this, kSubKeys);
    s.Text(1, path);
    while (s.Step()) {
        // A row another program left damaged (no path) is passed over.
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(s.Handle(), 0));
        if (!text) continue;
        String child(text);
        if (child.size() <= path.size()) continue;
        String rest = child.substr(path.size() + 1);
        if (rest.find('\\') == String::npos) names.push_back(rest);
    }
    return names;
}

String RegistryStore::Decode(sqlite3_stmt* row, std::size_t room, Value& v)
{
    v.Kind = static_cast<DWORD>(sqlite3_column_int64(row, 1));
    const std::string_view type = ColumnText(row, 2);

    if (v.Kind == REG_DWORD) {
        if (type != "integer") return ErrorText(TErrorText::StoreNumberHolds, {String(type)});
        const std::int64_t n = sqlite3_column_int64(row, 3);
        if (n < INT32_MIN || n > std::int64_t{UINT32_MAX})
            return ErrorText(TErrorText::StoreNumberTooWide, {std::to_string(n)});
        const auto bits = static_cast<std::uint32_t>(n);
        v.Size = 4;
        if (room >= 4) v.Data.assign(reinterpret_cast<const char*>(&bits), 4);
        return {};
    }
    if (type == "null") return {};
    if (type == "integer" || type == "real") {
        // Another writer's number under another kind reads as its text.
        const std::string_view text = ColumnText(row, 3);
        v.Size = text.size();
        if (v.Size <= room) v.Data = text;
        return {};
    }

    sqlite3_blob* opened = nullptr;
    int rc = sqlite3_blob_open(db_, "main", "vals", "data", sqlite3_column_int64(row, 0), 0, &opened);
    std::unique_ptr<sqlite3_blob, BlobCloser> blob(opened);
    if (rc != SQLITE_OK) Fail(rc, TErrorText::StoreCannotRead);
    v.Size = static_cast<std::size_t>(sqlite3_blob_bytes(opened));
    if (v.Size > MaxValueBytes)
        return ErrorText(TErrorText::StoreValueOversized, {v.Size, MaxValueBytes});
    if (v.Size <= room && v.Size > 0) {
        v.Data.resize(v.Size);
        rc = sqlite3_blob_read(opened, v.Data.data(), static_cast<int>(v.Size), 0);
        if (rc != SQLITE_OK) Fail(rc, TErrorText::StoreCannotRead);
    }
    return {};
}

std::optional<RegistryStore::Value> RegistryStore::ReadValue(const String& path, const String& name,
                                                             std::size_t room)
{
    if (Batch* batch = OpenBatch()) return ReadInBatch(*batch, path, name, room);
    std::lock_guard lock(mutex_);
    Statement s(*this, kReadValue);
    s.Text(1, path).Text(2, name);
    if (!s.Step()) return std::nullopt;
    Value v;
    if (const String damage = Decode(s.Handle(), room, v); !damage.empty()) DamagedValue(path, name, damage);
    return v;
}

std::unordered_map<String, RegistryStore::Batch::Held> RegistryStore::ReadKey(const String& path)
{
    std::lock_guard lock(mutex_);
    std::unordered_map<String, Batch::Held> values;
    // One statement is one snapshot: the blobs are read while it runs.
    Statement s(*this, kReadKey);
    s.Text(1, path);
    while (s.Step()) {
        // A name stored as bytes matches no name asked for, as in one read.
        if (sqlite3_column_type(s.Handle(), 4) != SQLITE_TEXT) continue;
        Batch::Held held;
        held.Damage = Decode(s.Handle(), MaxValueBytes, held.Read);
        values.emplace(AsciiLowerCase(String(ColumnText(s.Handle(), 4))), std::move(held));
    }
    return values;
}

std::optional<RegistryStore::Value> RegistryStore::ReadInBatch(Batch& batch, const String& path, const String& name,
                                                               std::size_t room)
{
    for (auto w = batch.writes_.rbegin(); w != batch.writes_.rend(); ++w)
        if (SameTextAscii(w->Path, path) && SameTextAscii(w->Name, name)) return Fitted(w->Written, room);
    const String key = AsciiLowerCase(path);
    auto values = batch.keys_.find(key);
    if (values == batch.keys_.end()) values = batch.keys_.emplace(key, ReadKey(path)).first;
    auto held = values->second.find(AsciiLowerCase(name));
    if (held == values->second.end()) return std::nullopt;
    if (!held->second.Damage.empty()) DamagedValue(path, name, held->second.Damage);
    return Fitted(held->second.Read, room);
}

void RegistryStore::Put(const String& path, const String& name, const Value& value)
{
    // The key is made again should another program have removed it since
    // we last saw it: no value is ever stored under no key.
    Statement(*this, kInsertKey).Text(1, path).Step();
    Statement s(*this, kWriteValue);
    s.Text(1, path).Text(2, name).Int(3, value.Kind);
    if (value.Kind == REG_DWORD && value.Data.size() == 4) {
        // Stored as the signed number it is (-1, not 4294967295); reading
        // takes the low 32 bits, so rows written unsigned still read right.
        std::int32_t n;
        std::memcpy(&n, value.Data.data(), 4);
        s.Int(4, n);
    } else if (value.Kind == REG_SZ || value.Kind == REG_EXPAND_SZ) {
        s.Text(4, value.Data);
    } else {
        s.Blob(4, value.Data);
    }
    s.Step();
}

void RegistryStore::WriteValue(const String& path, const String& name, const Value& value)
{
    if (value.Data.size() > MaxValueBytes)
        throw ERegistryStoreError(
            ErrorText(TErrorText::StoreValueTooLarge, {fileName_, MaxValueBytes, name, value.Data.size()}),
            ERROR_INVALID_PARAMETER);
    if (Batch* batch = OpenBatch()) {
        Value held = value;
        held.Size = held.Data.size();
        batch->writes_.push_back({path, name, std::move(held)});
        return;
    }
    std::lock_guard lock(mutex_);
    InTransaction([&] {
        Put(path, name, value);
        return true;
    });
}

void RegistryStore::WriteValues(const std::vector<Batch::Pending>& writes)
{
    std::lock_guard lock(mutex_);
    InTransaction([&] {
        for (const Batch::Pending& w : writes) Put(w.Path, w.Name, w.Written);
        return true;
    });
}

RegistryStore::Batch* RegistryStore::OpenBatch() const
{
    for (Batch* b = activeBatch; b; b = b->below_)
        if (&b->store_ == this && b->open_ && !b->joined_) return b;
    return nullptr;
}

RegistryStore::Batch::Batch(RegistryStore& store) : store_(store), below_(activeBatch)
{
    joined_ = store_.OpenBatch();
    activeBatch = this;
}

RegistryStore::Batch::~Batch()
{
    // Batches end in the order they began, as scopes do.
    activeBatch = below_;
}

void RegistryStore::Batch::Commit()
{
    if (joined_ || !open_) return;
    open_ = false;
    if (!writes_.empty()) store_.WriteValues(writes_);
    writes_.clear();
    keys_.clear();
}

bool RegistryStore::DeleteValue(const String& path, const String& name)
{
    std::lock_guard lock(mutex_);
    return InTransaction([&] {
        Statement(*this, kDeleteValue).Text(1, path).Text(2, name).Step();
        return sqlite3_changes(db_) > 0;
    });
}

std::vector<String> RegistryStore::ValueNames(const String& path)
{
    std::lock_guard lock(mutex_);
    std::vector<String> names;
    Statement s(*this, kValueNames);
    s.Text(1, path);
    while (s.Step()) {
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(s.Handle(), 0));
        if (text) names.emplace_back(text);
    }
    return names;
}

} // namespace velvane
