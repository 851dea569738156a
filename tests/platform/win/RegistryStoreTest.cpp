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

#include <filesystem>

using namespace velvane;
using testing::HasSubstr;

namespace {

void PutRow(const std::string& name, int kind, const std::string& data)
{
    test::StoreSql("INSERT OR REPLACE INTO vals(path, name, kind, data) VALUES('HKEY_CURRENT_USER\\Software\\Velvane', '" +
                   name + "', " + std::to_string(kind) + ", " + data + ")");
}

// The message of the registry error f raises, or "no error".
template <typename F>
std::string Refusal(F&& f)
{
    return test::MessageOf<ERegistryException>(f);
}

class RegistryStoreTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true)); }

    // The store opened on a file another program laid out; the layout's
    // error, or "" when it opens.
    std::string OpenedOn(const std::string& layout)
    {
        reg.CloseKey();
        test::CloseSettingsStore();
        std::filesystem::remove(RegistryStore::CurrentUserFile());
        test::StoreSql(layout);
        TRegistry other;
        SetLastError(0);
        if (other.OpenKey("Software\\Velvane", true)) return "";
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << layout;
        return Refusal([&] { other.ReadInteger("cfg_Action"); });
    }

    test::TempEnv env;
    TRegistry reg;
};

} // namespace

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
    EXPECT_THAT(message, HasSubstr("maiores que 1048576 bytes"));
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

TEST_F(RegistryStoreTest, ANumberRowHoldingAnythingButA32BitIntegerIsDamaged)
{
    const std::pair<const char*, const char*> damaged[] = {
        {"Text", "'12'"}, {"Nothing", "NULL"},       {"Bytes", "X'01020304'"},
        {"Real", "3.5"},  {"Above", "4294967296"}, {"Below", "-2147483649"},
    };
    for (const auto& [name, data] : damaged) {
        PutRow(name, 4, data);
        SetLastError(0);
        const std::string message = Refusal([&] { reg.ReadInteger(name); });
        EXPECT_THAT(message, HasSubstr(std::string("'") + name + "'")) << data;
        EXPECT_THAT(message, HasSubstr("danificado")) << data;
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << data;
    }
    // Every 32-bit pattern, signed or not, is a number.
    PutRow("AllOnes", 4, "4294967295");
    PutRow("Lowest", 4, "-2147483648");
    EXPECT_EQ(reg.ReadInteger("AllOnes"), -1);
    EXPECT_EQ(reg.ReadInteger("Lowest"), INT32_MIN);
}

TEST_F(RegistryStoreTest, AFileLaidOutOtherwiseIsADamagedStore)
{
    for (const char* layout : {
             // Another program's tables under the same names.
             "CREATE TABLE keys(id INTEGER PRIMARY KEY, name TEXT); CREATE TABLE vals(x)",
             // An old layout that told letter case apart.
             "CREATE TABLE keys(path TEXT PRIMARY KEY); CREATE TABLE vals(path TEXT, name TEXT, kind INTEGER,"
             " data BLOB, PRIMARY KEY(path, name))",
             // Values keyed by name alone.
             "CREATE TABLE keys(path TEXT PRIMARY KEY COLLATE NOCASE); CREATE TABLE vals(path TEXT COLLATE NOCASE,"
             " name TEXT PRIMARY KEY COLLATE NOCASE, kind INTEGER, data BLOB)"}) {
        const std::string message = OpenedOn(layout);
        EXPECT_THAT(message, HasSubstr("está danificado (a tabela")) << layout;
        EXPECT_THAT(message, HasSubstr("mova-o para outro lugar")) << layout;
    }

    // Keys without row ids are the store's own layout all the same, listed by path.
    ASSERT_EQ(OpenedOn("CREATE TABLE keys(path TEXT PRIMARY KEY COLLATE NOCASE) WITHOUT ROWID;"
                       "CREATE TABLE vals(path TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE, kind INTEGER, data BLOB,"
                       " PRIMARY KEY(path, name))"),
              "");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velvane\\Zeta", true));
    reg.WriteInteger("n", 1);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velvane\\Alpha", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velvane", false));
    TStringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(names.Text(), "Alpha\r\nZeta\r\n");
}

// A write refused half-way is undone whole (the key it made on the way
// too), and the store goes on: the next write is a transaction of its own
// that another connection sees.
TEST_F(RegistryStoreTest, AWriteRefusedHalfWayLeavesNothingAndTheNextOneLands)
{
    test::StoreSql("CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = 'Refused' "
                   "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    RegistryStore& store = *RegistryStore::ForCurrentUser();
    const String fresh = "HKEY_CURRENT_USER\\Software\\Velvane\\Fresh";
    const RegistryStore::Value text{REG_SZ, "x", 1};
    EXPECT_THAT(Refusal([&] { store.WriteValue(fresh, "Refused", text); }), HasSubstr("recusada"));
    EXPECT_FALSE(store.KeyExists(fresh));
    EXPECT_NO_THROW(store.WriteValue(fresh, "Kept", text));
    RegistryStore other(RegistryStore::CurrentUserFile());
    EXPECT_TRUE(other.ReadValue(fresh, "Kept"));
    EXPECT_FALSE(other.ReadValue(fresh, "Refused"));
}
