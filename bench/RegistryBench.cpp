// Saving and reading the editor's 22 settings through TWinRegistry, against
// the same rows written and read with plain sqlite3 statements on the same
// store file. Run by hand: build/bench/bench_RegistryBench

#include "platform/rtl/FormatSettings.h"
#include "platform/win/RegistryStore.h"
#include "settings/WinRegistry.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace velvane;

namespace {

// The editor's lines as it saves them, with ordinary values.
const std::vector<std::string> kLines = {
    "App_Top|120|Integer",          "App_Left|80|Integer",         "App_Width|1024|Integer",
    "App_Height|700|Integer",       "App_WindowState|0|Integer",   "App_FileFrame|True|Boolean",
    "cfg_Action|2|Integer",         "cfg_TimeLenght|6|Integer",    "cfg_Order|1|Integer",
    "cfg_ProxyIP|192.168.0.1|String", "cfg_ProxyPort|3128|Integer", "cfg_CurrentIMG|http://www.example.com/a.jpg|String",
    "cfg_CurrentImgPos|4|Integer",  "cfg_LastAplly|09/12/2026 13:45:07|DateTime",
    "cfg_FileInUse|/home/u/Pictures/list.vnx|String", "cfg_ConType|4|Integer",
    "cfg_MailUser|user@example.com|String", "cfg_Activate|True|Boolean", "cfg_UseDefaultImage|False|Boolean",
    "cfg_IEProxyAuto|False|Boolean", "cfg_Silent|True|Boolean",     "cfg_Priority|2|Integer",
};

struct Row {
    std::string name;
    int kind;            // 1 text, 3 binary, 4 number
    std::string text;    // kind 1
    std::int64_t number; // kind 4
    double date;         // kind 3
};

// The same rows, already converted, for the plain statements.
std::vector<Row> Rows()
{
    std::vector<Row> rows;
    for (const std::string& line : kLines) {
        auto fields = TWinRegistry::SplitLine(line);
        Row r{fields[0], 4, "", 0, 0};
        if (fields[2] == "String") r = {fields[0], 1, fields[1], 0, 0};
        else if (fields[2] == "DateTime") r = {fields[0], 3, "", 0, 46365.573};
        else if (fields[2] == "Boolean") r.number = fields[1] == "True";
        else r.number = std::stoll(fields[1]);
        rows.push_back(r);
    }
    return rows;
}

void UseTemporaryFolders()
{
    static std::string root;
    if (!root.empty()) return;
    root = (std::filesystem::temp_directory_path() / "velvane-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) throw std::runtime_error("mkdtemp");
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongTimeFormat = "hh:nn:ss";
    SetFormatSettings(fs);
}

void BM_WinRegistry_SaveAndRead22(benchmark::State& state)
{
    UseTemporaryFolders();
    TWinRegistry reg(nullptr);
    reg.HootKey = THootKey::HKEY_CURRENT_USER;
    reg.Path = "Software\\Velvane\\";
    for (const auto& line : kLines) reg.RegistryLines().Add(line);
    for (auto _ : state) {
        if (!reg.WriteAll()) state.SkipWithError("WriteAll failed");
        for (const auto& line : kLines) benchmark::DoNotOptimize(reg.ReadValue(line));
    }
}

void Check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

void BM_PlainSqlite_SaveAndRead22(benchmark::State& state)
{
    UseTemporaryFolders();
    std::string file = RegistryStore::CurrentUserFile();
    { TWinRegistry reg(nullptr); reg.HootKey = THootKey::HKEY_CURRENT_USER; reg.Path = "Software\\Velvane\\"; reg.WriteValue("x|1|Integer"); }
    sqlite3* db = nullptr;
    Check(sqlite3_open(file.c_str(), &db), db);
    Check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), db);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* put = nullptr;
    sqlite3_stmt* get = nullptr;
    Check(sqlite3_prepare_v2(db,
                             "INSERT INTO vals(path, name, kind, data) VALUES(?1, ?2, ?3, ?4) "
                             "ON CONFLICT(path, name) DO UPDATE SET kind = excluded.kind, data = excluded.data",
                             -1, &put, nullptr), db);
    Check(sqlite3_prepare_v2(db, "SELECT kind, data FROM vals WHERE path = ?1 AND name = ?2", -1, &get, nullptr), db);
    const std::string path = "HKEY_CURRENT_USER\\Software\\Velvane";
    const std::vector<Row> rows = Rows();
    for (auto _ : state) {
        for (const Row& r : rows) {
            sqlite3_bind_text(put, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
            sqlite3_bind_text(put, 2, r.name.data(), static_cast<int>(r.name.size()), SQLITE_STATIC);
            sqlite3_bind_int(put, 3, r.kind);
            if (r.kind == 1) sqlite3_bind_text(put, 4, r.text.data(), static_cast<int>(r.text.size()), SQLITE_STATIC);
            else if (r.kind == 3) sqlite3_bind_blob(put, 4, &r.date, 8, SQLITE_STATIC);
            else sqlite3_bind_int64(put, 4, r.number);
            Check(sqlite3_step(put), db);
            sqlite3_reset(put);
        }
        for (const Row& r : rows) {
            sqlite3_bind_text(get, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
            sqlite3_bind_text(get, 2, r.name.data(), static_cast<int>(r.name.size()), SQLITE_STATIC);
            Check(sqlite3_step(get), db);
            benchmark::DoNotOptimize(sqlite3_column_int(get, 0));
            if (r.kind == 1) benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(get, 1))));
            else if (r.kind == 3) { double d; std::memcpy(&d, sqlite3_column_blob(get, 1), 8); benchmark::DoNotOptimize(d); }
            else benchmark::DoNotOptimize(sqlite3_column_int64(get, 1));
            sqlite3_reset(get);
        }
    }
    sqlite3_finalize(put);
    sqlite3_finalize(get);
    sqlite3_close(db);
}

} // namespace

BENCHMARK(BM_WinRegistry_SaveAndRead22);
BENCHMARK(BM_PlainSqlite_SaveAndRead22);
BENCHMARK_MAIN();
