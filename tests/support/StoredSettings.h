#pragma once
// What the settings store holds under the programs' key, read past the
// programs' own objects, and its file changed from outside.

#include "platform/win/Registry.h"
#include "platform/win/RegistryStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velvane::test {

inline bool StoredSetting(const char* name)
{
    TRegistry reg;
    return reg.OpenKey("\\Software\\Velvane", false) && reg.ValueExists(name);
}

// Lets go of the current user's store file, as the end of a run does, so
// that the whole of it is in the file and it can be damaged or replaced.
inline void CloseSettingsStore()
{
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", (config + "/elsewhere").c_str(), 1);
    RegistryStore::ForCurrentUser();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

// Runs statements on the current user's store file from outside the store,
// as another program (or a damaged disk) would.
inline void StoreSql(const std::string& sql)
{
    const std::string file = RegistryStore::CurrentUserFile();
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "") << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

// As when another program keeps the lock: writes under the programs' key
// fail, other keys (the desktop's) still take their values.
constexpr const char* kRefuseSettingsWrites =
    "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.path LIKE '%Velvane' "
    "BEGIN SELECT RAISE(ABORT, 'database is locked'); END";

} // namespace velvane::test
