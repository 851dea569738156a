#include "platform/win/Registry.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
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
#include <fstream>
#include <functional>

using namespace velvane;
using testing::HasSubstr;

namespace {

class RegistryTest : public testing::Test {
protected:
    test::TempEnv env;
    TRegistry reg;
};

template <typename F>
std::string MessageOf(F&& f)
{
    return test::MessageOf<ERegistryException>(f);
}

} // namespace

TEST_F(RegistryTest, EveryKindReadsBackAsWritten)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane\\", true));
    reg.WriteString("Text", "olá | mundo");
    reg.WriteString("Blank", " ");
    reg.WriteInteger("Min", INT32_MIN);
    reg.WriteInteger("Max", INT32_MAX);
    reg.WriteBool("On", true);
    reg.WriteCurrency("Money", Currency::FromScaled(-123456789012345));
    reg.WriteFloat("Pi", 3.141592653589793);
    reg.WriteDateTime("When", 45000.5);
    const unsigned char bytes[] = {0, 1, 2, 255};
    reg.WriteBinaryData("Bytes", bytes, sizeof bytes);

    TRegistry other;  // a second object sees what the first wrote
    ASSERT_TRUE(other.OpenKey("\\software\\VELVANE", false));
    EXPECT_EQ(other.ReadString("text"), "olá | mundo");
    EXPECT_EQ(other.ReadString("Blank"), " ");
    EXPECT_EQ(other.ReadInteger("MIN"), INT32_MIN);
    EXPECT_EQ(other.ReadInteger("Max"), INT32_MAX);
    EXPECT_TRUE(other.ReadBool("On"));
    EXPECT_EQ(other.ReadCurrency("Money"), Currency::FromScaled(-123456789012345));
    EXPECT_EQ(other.ReadFloat("Pi"), 3.141592653589793);
    EXPECT_EQ(other.ReadDateTime("When"), 45000.5);
    unsigned char back[8] = {};
    EXPECT_EQ(other.ReadBinaryData("Bytes", back, sizeof back), 4);
    EXPECT_EQ(std::memcmp(back, bytes, 4), 0);
    EXPECT_EQ(other.GetDataType("Money"), TRegDataType::rdBinary);
    EXPECT_EQ(other.GetDataType("On"), TRegDataType::rdInteger);
    EXPECT_EQ(other.GetDataSize("Text"), static_cast<int>(std::strlen("olá | mundo") + 1));
    EXPECT_EQ(other.CurrentPath(), "software\\VELVANE");
}

TEST_F(RegistryTest, LargeValuesComeBackWhole)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
    std::string text(100000, 'a');
    text[99999] = 'z';
    std::string bytes(5000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    reg.WriteString("cfg_CurrentIMG", text);
    reg.WriteBinaryData("Blob", bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(reg.ReadString("cfg_CurrentIMG"), text);
    std::string back(6000, '\0');
    ASSERT_EQ(reg.ReadBinaryData("Blob", back.data(), static_cast<int>(back.size())), 5000);
    EXPECT_EQ(back.substr(0, 5000), bytes);
}

TEST_F(RegistryTest, MissingOrMistypedValuesRaiseNamingTheValue)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
    EXPECT_EQ(reg.ReadString("cfg_Nothing"), "");
    EXPECT_EQ(MessageOf([&] { reg.ReadInteger("cfg_Action"); }), "Falha ao obter os dados de \'cfg_Action\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadBool("cfg_Silent"); }), "Falha ao obter os dados de \'cfg_Silent\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadCurrency("c"); }), "Falha ao obter os dados de \'c\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadFloat("f"); }), "Falha ao obter os dados de \'f\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadDateTime("cfg_LastAplly"); }), "Falha ao obter os dados de \'cfg_LastAplly\'");

    reg.WriteString("Text", "12");
    reg.WriteInteger("Number", 12);
    EXPECT_EQ(MessageOf([&] { reg.ReadInteger("Text"); }), "Tipo de dado inválido para \'Text\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadString("Number"); }), "Tipo de dado inválido para \'Number\'");
    EXPECT_EQ(MessageOf([&] { reg.ReadFloat("Number"); }), "Tipo de dado inválido para \'Number\'");
    reg.WriteBinaryData("Short", "abc", 3);
    EXPECT_EQ(MessageOf([&] { reg.ReadDateTime("Short"); }), "Tipo de dado inválido para \'Short\'");
    char small[2];
    EXPECT_EQ(MessageOf([&] { reg.ReadBinaryData("Short", small, 2); }), "Falha ao obter os dados de \'Short\'");
}

TEST_F(RegistryTest, KeysAreCreatedWithTheirParentsAndDeletedWithTheirChildren)
{
    EXPECT_FALSE(reg.OpenKey("A_1\\B%2", false));
    ASSERT_TRUE(reg.OpenKey("A_1\\B%2\\C", true));
    reg.WriteInteger("v", 1);
    EXPECT_TRUE(reg.KeyExists("\\A_1"));
    EXPECT_TRUE(reg.KeyExists("\\a_1\\b%2"));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("AX1", true));  // not a child of A_1, though LIKE would say so
    reg.CloseKey();

    ASSERT_TRUE(reg.OpenKey("A_1", false));
    HKEY key = reg.CurrentKey();
    char name[64];
    DWORD size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_STREQ(name, "B%2");
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), (LONG)ERROR_NO_MORE_ITEMS);
    reg.CloseKey();

    TStringList names;
    ASSERT_TRUE(reg.OpenKey("\\A_1\\B%2\\C", false));
    reg.WriteInteger("second", 2);
    reg.WriteInteger("V", 3);  // the same value as "v"
    reg.GetValueNames(names);
    EXPECT_EQ(names.Text(), "v\r\nsecond\r\n");
    reg.OpenKey("\\", false);
    reg.GetKeyNames(names);
    EXPECT_EQ(names.IndexOf("A_1") >= 0 && names.IndexOf("AX1") >= 0, true) << names.Text();
    reg.CloseKey();

    EXPECT_TRUE(reg.DeleteKey("A_1"));
    EXPECT_FALSE(reg.KeyExists("A_1\\B%2\\C"));
    EXPECT_TRUE(reg.KeyExists("AX1"));
    ASSERT_TRUE(reg.OpenKey("A_1\\B%2\\C", true));
    EXPECT_FALSE(reg.ValueExists("v"));
}

TEST_F(RegistryTest, QueryFollowsTheSystemBufferRules)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition), 0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char path[] = "/home/u/wallpaper.bmp";
    ASSERT_EQ(RegSetValueExA(key, "Wallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path), 0);

    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "WALLPAPER", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof path);  // the terminator counts
    BYTE buffer[8];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Wallpaper", nullptr, &type, buffer, &size), (LONG)ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof path);
    EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, nullptr, &size), (LONG)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExA(key, "n", 0, REG_DWORD, buffer, 3), (LONG)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(RegCloseKey(key), (LONG)ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "Wallpaper", nullptr, &type, nullptr, &size), (LONG)ERROR_INVALID_HANDLE);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "control panel\\desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition), 0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ADamagedStoreGivesAClearErrorAndRecoversWhenReplaced)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
    reg.WriteInteger("cfg_Action", 2);
    reg.CloseKey();
    String file = RegistryStore::CurrentUserFile();
    test::CloseSettingsStore();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << std::string(8192, 'x');
    }

    TRegistry damaged;
    SetLastError(0);
    EXPECT_FALSE(damaged.OpenKey("Software\\Velvane", true));
    EXPECT_EQ(GetLastError(), ERROR_BADDB);
    std::string message = MessageOf([&] { damaged.ReadInteger("cfg_Action"); });
    EXPECT_THAT(message, HasSubstr("'cfg_Action'"));
    EXPECT_THAT(message, HasSubstr(file));
    EXPECT_THAT(message, HasSubstr("danificado"));
    // Text too: a damaged store is not an empty one.
    EXPECT_THAT(MessageOf([&] { damaged.ReadString("cfg_MailUser"); }), HasSubstr("danificado"));

    std::remove(file.c_str());
    EXPECT_TRUE(damaged.OpenKey("Software\\Velvane", true));
    damaged.WriteInteger("cfg_Action", 3);
    EXPECT_EQ(damaged.ReadInteger("cfg_Action"), 3);
}

TEST_F(RegistryTest, NamesOfAnyLengthAreListedAndAKeyRemovedElsewhereComesBack)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
    const String longName(600, 'n');
    reg.WriteInteger("short", 1);
    reg.WriteInteger(longName, 2);
    TStringList names;
    reg.GetValueNames(names);
    ASSERT_EQ(names.Count(), 2);
    EXPECT_EQ(names[1], longName);

    // Another program removes the key while this one has it open: the next
    // write puts the key back instead of leaving a value under no key.
    {
        RegistryStore other(RegistryStore::CurrentUserFile());
        ASSERT_TRUE(other.DeleteKey("HKEY_CURRENT_USER\\Software\\Velvane"));
    }
    reg.WriteInteger("after", 3);
    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKey("Software\\Velvane", false));
    EXPECT_EQ(fresh.ReadInteger("after"), 3);
    EXPECT_FALSE(fresh.ValueExists("short"));
}

TEST_F(RegistryTest, NumbersAreStoredAsTheSignedValuesTheyAre)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane\\", true));
    reg.WriteInteger("Minus", -1);
    // Only the signed value matches; a row written the old way, unsigned,
    // still reads as the same number.
    test::StoreSql("UPDATE vals SET name = 'Signed' WHERE name = 'Minus' AND data = -1;"
                   "INSERT INTO vals VALUES('HKEY_CURRENT_USER\\Software\\Velvane', 'Old', 4, 4294967295)");
    EXPECT_EQ(reg.ReadInteger("Signed"), -1);
    EXPECT_EQ(reg.ReadInteger("Old"), -1);
}

// Only a value (or key) that is not there is "no": a store that cannot tell
// raises as a read would, so that no caller takes its failure for a fresh
// store and writes its own values over another program's.
TEST_F(RegistryTest, AStoreThatCannotTellWhetherAValueIsThereRaisesInsteadOfSayingNo)
{
    ASSERT_TRUE(reg.OpenKey("Software\\Velvane", true));
    reg.WriteInteger("cfg_Action", 2);
    TRegistry unopened;
    EXPECT_FALSE(unopened.OpenKey("Software\\Elsewhere", false));
    EXPECT_FALSE(unopened.ValueExists("cfg_Action"));

    const String file = RegistryStore::CurrentUserFile();
    sqlite3* holder = nullptr;  // another program that keeps the store to itself
    const auto reopen = [&](const std::function<void()>& meanwhile) {
        reg.CloseKey();
        test::CloseSettingsStore();
        meanwhile();
        EXPECT_FALSE(reg.OpenKey("Software\\Velvane", true));
    };
    const struct {
        const char* what;
        std::function<void()> spoil;
        DWORD code;
        const char* words;
    } cases[] = {
        {"a damaged value", [] { test::StoreSql("UPDATE vals SET data = 'two' WHERE name = 'cfg_Action'"); },
         ERROR_BADDB, "danificado"},
        {"a store held locked", [&] { reopen([&] {
             ASSERT_EQ(sqlite3_open(file.c_str(), &holder), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
                       SQLITE_OK);
         }); },
         ERROR_BUSY, "bloqueado"},
        {"a damaged file", [&] { reopen([&] {
             sqlite3_close(holder);
             std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
         }); },
         ERROR_BADDB, "danificado"},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        c.spoil();
        EXPECT_THAT(MessageOf([&] { reg.ValueExists("cfg_Action"); }), HasSubstr(c.words)) << c.what;
        EXPECT_EQ(GetLastError(), c.code) << c.what;
    }
}
