// The settings store against files other programs (or damage) left behind:
// values too large to hold, numbers that are not numbers, other layouts.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Registry.h"
#include "platform/win/RegistryStore.h"
#include "platform/win/WinError.h"
#include "platform/win/WinReg.h"
#include "tests/support/Raises.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace velvane;
using testing::HasSubstr;

namespace {

const char* const kKey = "HKEY_CURRENT_USER\\Software\\Velvane";

// Statements run on the store's file from outside the store, as another
// program (or a damaged disk) would.
void Sql(const std::string& sql)
{
    sqlite3* db = nullptr;
    const std::string file = RegistryStore::CurrentUserFile();
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "") << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

void PutRow(const std::string& name, int kind, const std::string& data)
{
    Sql("INSERT OR REPLACE INTO vals(path, name, kind, data) VALUES('" + std::string(kKey) + "', '" + name + "', " +
        std::to_string(kind) + ", " + data + ")");
}

class RegistryStoreTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true)); }

    // The message of the registry error f raises, or "no error".
    template <typename F>
    static std::string Refusal(F&& f)
    {
        return test::MessageOf<ERegistryException>(f);
    }

    test::TempEnv env;
    TRegistry reg;
};

} // namespace

// --- Size ------------------------------------------------------------------------

TEST_F(RegistryStoreTest, ValuesOverTheLimitAreRefusedWhenWrittenAndWhenRead)
{
    const std::size_t limit = RegistryStore::MaxValueBytes;
    const std::string most(limit, 'm');
    reg.WriteBinaryData("Most", most.data(), static_cast<int>(most.size()));
    std::string back(limit, '\0');
    EXPECT_EQ(reg.ReadBinaryData("Most", back.data(), static_cast<int>(back.size())), static_cast<int>(limit));
    EXPECT_TRUE(back == most);

    const std::string message = Refusal([&] { reg.WriteString("Big", std::string(limit + 1, 'b')); });
    EXPECT_THAT(message, HasSubstr("'Big'"));
    EXPECT_THAT(message, HasSubstr("larger than 1048576 bytes"));
    EXPECT_FALSE(reg.ValueExists("Big"));

    // Another program stored one anyway: reading it, or only its size, is
    // refused as damage instead of taking the value into memory.
    reg.WriteInteger("After", 1);
    PutRow("Huge", 1, "printf('%.*c', 3000000, 'h')");
    EXPECT_THAT(Refusal([&] { reg.ReadString("Huge"); }), HasSubstr("3000000 bytes"));
    EXPECT_EQ(reg.GetDataSize("Huge"), -1);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(reg.CurrentKey(), "Huge", nullptr, nullptr, nullptr, &size), (LONG)ERROR_BADDB);
    EXPECT_THAT(RegLastStoreError(), HasSubstr("\"Huge\""));
    // Its name is still listed, and the values beside it read.
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Text(), "Most\r\nAfter\r\nHuge\r\n");
    EXPECT_EQ(reg.ReadInteger("After"), 1);
}

TEST_F(RegistryStoreTest, AskingOnlyTheSizeOrTheNameLeavesTheDataUnread)
{
    // Half a megabyte of text lives on overflow pages of its own. Once the
    // store has opened (and checked) the file, their links are broken, and
    // another program's write makes the store drop what it has cached.
    // Whatever reads the data now fails; whatever asks only the size or the
    // name still answers.
    const std::string text(500000, 'Q');
    reg.WriteString("Long", text);
    reg.WriteInteger("Short", 5);
    reg.CloseKey();
    test::CloseSettingsStore();
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", false));
    {
        std::fstream file(RegistryStore::CurrentUserFile(), std::ios::in | std::ios::out | std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::size_t page = 4096;
        int broken = 0;
        for (std::size_t at = page; at + page <= bytes.size(); at += page) {
            if (bytes.find_first_not_of('Q', at + 4) < at + page) continue;
            file.seekp(static_cast<std::streamoff>(at));
            file.write("\xFF\xFF\xFF\x7F", 4);  // a next page far beyond the file
            ++broken;
        }
        ASSERT_GT(broken, 10);
    }
    Sql("INSERT INTO keys(path) VALUES('HKEY_CURRENT_USER\\Elsewhere')");

    EXPECT_EQ(reg.GetDataSize("Long"), 500001);
    EXPECT_EQ(reg.GetDataType("Long"), TRegDataType::rdString);
    EXPECT_TRUE(reg.ValueExists("Long"));
    char name[16];
    DWORD nameSize = sizeof name, type = 0, size = 0;
    ASSERT_EQ(RegEnumValueA(reg.CurrentKey(), 0, name, &nameSize, nullptr, &type, nullptr, &size), 0);
    EXPECT_STREQ(name, "Long");
    EXPECT_EQ(size, 500001u);
    char small[8];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(reg.CurrentKey(), "Long", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              (LONG)ERROR_MORE_DATA);
    EXPECT_EQ(size, 500001u);
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Count(), 2);

    EXPECT_THAT(Refusal([&] { reg.ReadString("Long"); }), HasSubstr("damaged"));

    // Opened afresh, the store finds the damage at once.
    reg.CloseKey();
    test::CloseSettingsStore();
    TRegistry fresh;
    SetLastError(0);
    EXPECT_FALSE(fresh.OpenKey("Software\\Velvane", false));
    EXPECT_EQ(GetLastError(), ERROR_BADDB);
    EXPECT_THAT(Refusal([&] { fresh.ReadInteger("Short"); }), HasSubstr("move it away"));
}

// --- Numbers -----------------------------------------------------------------------

TEST_F(RegistryStoreTest, ANumberRowHoldingAnythingButA32BitIntegerIsDamaged)
{
    const std::pair<const char*, const char*> damaged[] = {
        {"Text", "'12'"},       {"Nothing", "NULL"},          {"Bytes", "X'01020304'"},
        {"Real", "3.5"},        {"Above", "4294967296"},      {"Below", "-2147483649"},
    };
    for (const auto& [name, data] : damaged) PutRow(name, 4, data);
    for (const auto& [name, data] : damaged) {
        SetLastError(0);
        const std::string message = Refusal([&] { reg.ReadInteger(name); });
        EXPECT_THAT(message, HasSubstr(std::string("'") + name + "'")) << data;
        EXPECT_THAT(message, HasSubstr("damaged")) << data;
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << data;
    }

    // Every 32-bit pattern, signed or not, is a number.
    PutRow("AllOnes", 4, "4294967295");
    PutRow("MinusOne", 4, "-1");
    PutRow("Lowest", 4, "-2147483648");
    EXPECT_EQ(reg.ReadInteger("AllOnes"), -1);
    EXPECT_EQ(reg.ReadInteger("MinusOne"), -1);
    EXPECT_EQ(reg.ReadInteger("Lowest"), INT32_MIN);
    EXPECT_TRUE(reg.ReadBool("AllOnes"));
}

// --- Layout --------------------------------------------------------------------------

TEST_F(RegistryStoreTest, AFileLaidOutOtherwiseIsADamagedStore)
{
    reg.CloseKey();
    const std::string file = RegistryStore::CurrentUserFile();
    const char* const others[] = {
        // Another program's tables under the same names.
        "CREATE TABLE keys(id INTEGER PRIMARY KEY, name TEXT); CREATE TABLE vals(x)",
        // An old layout that told letter case apart.
        "CREATE TABLE keys(path TEXT PRIMARY KEY); CREATE TABLE vals(path TEXT, name TEXT, kind INTEGER,"
        " data BLOB, PRIMARY KEY(path, name))",
        // Values keyed by name alone.
        "CREATE TABLE keys(path TEXT PRIMARY KEY COLLATE NOCASE); CREATE TABLE vals(path TEXT COLLATE NOCASE,"
        " name TEXT PRIMARY KEY COLLATE NOCASE, kind INTEGER, data BLOB)",
    };
    for (const char* layout : others) {
        test::CloseSettingsStore();
        std::filesystem::remove(file);
        Sql(layout);

        TRegistry other;
        SetLastError(0);
        EXPECT_FALSE(other.OpenKey("Software\\Velvane", true)) << layout;
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << layout;
        const std::string message = Refusal([&] { other.ReadInteger("cfg_Action"); });
        EXPECT_THAT(message, HasSubstr("is damaged (table")) << layout;
        EXPECT_THAT(message, HasSubstr("move it away")) << layout;
    }

    // Moved away, the store starts afresh.
    std::filesystem::remove(file);
    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKey("Software\\Velvane", true));
    fresh.WriteInteger("cfg_Action", 2);
    EXPECT_EQ(fresh.ReadInteger("cfg_Action"), 2);
}

TEST_F(RegistryStoreTest, KeysWithoutRowIdsAreStillListed)
{
    reg.CloseKey();
    test::CloseSettingsStore();
    std::filesystem::remove(RegistryStore::CurrentUserFile());
    Sql("CREATE TABLE keys(path TEXT PRIMARY KEY COLLATE NOCASE) WITHOUT ROWID;"
        "CREATE TABLE vals(path TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE, kind INTEGER, data BLOB,"
        " PRIMARY KEY(path, name))");

    ASSERT_TRUE(reg.OpenKey("Software\\Velvane\\Zeta", true));
    reg.WriteInteger("n", 1);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velvane\\Alpha", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velvane", false));
    TStringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(names.Text(), "Alpha\r\nZeta\r\n");
    ASSERT_TRUE(reg.OpenKey("Zeta", false));
    EXPECT_EQ(reg.ReadInteger("N"), 1);
}
