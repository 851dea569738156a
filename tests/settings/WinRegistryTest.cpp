#include "settings/WinRegistry.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Registry.h"
#include "tests/support/Locales.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <set>
#include <thread>

extern char** environ;

using namespace velvane;
using testing::HasSubstr;

namespace {

// The editor's settings lines, as its window stores them.
const TStringList kEditorLines = {
    "App_Top|0|Integer",         "App_Left|0|Integer",           "App_Width|0|Integer",
    "App_Height|0|Integer",      "App_WindowState|0|Integer",    "App_FileFrame|False|Boolean",
    "cfg_Action|0|Integer",      "cfg_TimeLenght|0|Integer",     "cfg_Order|0|Integer",
    "cfg_ProxyIP| |String",      "cfg_ProxyPort|0|Integer",      "cfg_CurrentIMG| |String",
    "cfg_CurrentImgPos|0|Integer", "cfg_LastAplly|35065|DateTime", "cfg_FileInUse| |String",
    "cfg_ConType|0|Integer",     "cfg_MailUser| |String",        "cfg_Activate|False|Boolean",
    "cfg_UseDefaultImage|False|Boolean", "cfg_IEProxyAuto|False|Boolean", "cfg_Silent|False|Boolean",
    "cfg_Priority|0|Integer",
};

class WinRegistryTest : public testing::Test {
protected:
    WinRegistryTest()
    {
        reg.HootKey = THootKey::HKEY_CURRENT_USER;
        reg.Path = "Software\\Velvane\\";
    }

    // What the store holds, read past the component.
    TRegistry& Raw()
    {
        raw.CloseKey();
        raw.SetRootKey(HKEY_CURRENT_USER);
        raw.OpenKey("Software\\Velvane", true);
        return raw;
    }

    test::TempEnv env;
    test::ScriptedResponder dialogs;
    test::ScopedFormatSettings brazil{test::Brazil()};
    TWinRegistry reg{nullptr};
    TRegistry raw;
};

} // namespace

TEST(WinRegistrySplit, FieldsFollowTheLineBreakRule)
{
    using V = std::vector<String>;
    EXPECT_EQ(TWinRegistry::SplitLine("cfg_Action|0|Integer"), (V{"cfg_Action", "0", "Integer"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a||String"), (V{"a", "", "String"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a|b|String|"), (V{"a", "b", "String"}));  // a final break adds no field
    EXPECT_EQ(TWinRegistry::SplitLine("a|String"), (V{"a", "String"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a|b|c|d"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a|b\r\nc|String"), (V{"a", "b", "c", "String"}));
    // A value holding "|": the name up to the first, the type after the last.
    EXPECT_EQ(TWinRegistry::SplitLine("a|b|c|String"), (V{"a", "b|c", "String"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a||b||String|"), (V{"a", "|b|", "String"}));
    EXPECT_EQ(TWinRegistry::SplitLine("a|b|String||"), (V{"a", "b", "String", ""}));
    EXPECT_EQ(TWinRegistry::SplitLine(""), V{});
}

TEST_F(WinRegistryTest, MalformedLinesShowTheirMessageAndTouchNothing)
{
    EXPECT_TRUE(reg.ReadValue("cfg_Action|Integer").IsEmpty());
    reg.WriteValue("cfg_ProxyIP|10.0|0.1|Texto");  // four fields, the last no type
    reg.WriteValue("a|b|c|d|e");
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[0].text, "Lista de parametros incorreta[cfg_Action\r\nInteger\r\n]");
    EXPECT_EQ(dialogs.requests[0].buttons, mbOK);
    EXPECT_EQ(dialogs.requests[1].text, "Lista de parametros incorreta");
    EXPECT_EQ(dialogs.requests[2].text, "Lista de parametros incorreta");
    EXPECT_FALSE(Raw().ValueExists("cfg_ProxyIP"));

    // An unknown type name is silent and writes nothing.
    reg.WriteValue("cfg_Action|3|integer");
    EXPECT_TRUE(reg.ReadValue("cfg_Action|3|integer").IsEmpty());
    EXPECT_EQ(dialogs.requests.size(), 3u);
    EXPECT_FALSE(Raw().ValueExists("cfg_Action"));
}

TEST_F(WinRegistryTest, EveryTypeRoundTripsThroughTheStore)
{
    reg.WriteValue("cfg_ProxyIP| |String");
    reg.WriteValue("cfg_Action|-2147483648|Integer");
    reg.WriteValue("Yes|True|Boolean");
    reg.WriteValue("No|true|Boolean");  // only "True" is true
    reg.WriteValue("Money|1,23456|Currency");
    reg.WriteValue("Half|0,00005|Currency");
    reg.WriteValue("Ratio|-2,5E-7|Float");
    reg.WriteValue("Day|09/12/2026|Date");
    reg.WriteValue("Midnight|09/12/2026|DateTime");
    reg.WriteValue("Moment|09/12/2026 13:45:07|DateTime");
    reg.WriteValue("Clock|23:59:59|Time");

    EXPECT_EQ(reg.ReadValue("cfg_ProxyIP|x|String"), Variant(String(" ")));
    EXPECT_EQ(reg.ReadValue("cfg_Action||Integer").AsInteger(), INT32_MIN);
    EXPECT_EQ(reg.ReadValue("Yes||Boolean"), Variant(true));
    EXPECT_EQ(reg.ReadValue("No||Boolean"), Variant(false));
    EXPECT_EQ(Raw().ReadInteger("Yes"), 1);
    EXPECT_EQ(Raw().ReadInteger("No"), 0);
    EXPECT_EQ(reg.ReadValue("Money||Currency").AsCurrency(), Currency::FromScaled(12346));
    EXPECT_EQ(Raw().ReadCurrency("Money").Scaled, 12346);
    EXPECT_EQ(reg.ReadValue("Half||Currency").AsCurrency(), Currency::FromScaled(0));  // a tie goes to even
    EXPECT_EQ(reg.ReadValue("Ratio||Float").AsDouble(), -2.5e-7);
    TDateTime day = EncodeDate(2026, 12, 9);
    EXPECT_EQ(reg.ReadValue("Day||Date").AsDateTime(), day);
    EXPECT_EQ(reg.ReadValue("Midnight||DateTime").AsDateTime(), day);
    EXPECT_EQ(reg.ReadValue("Moment||DateTime").AsDateTime(), day + EncodeTime(13, 45, 7, 0));
    EXPECT_EQ(reg.ReadValue("Clock||Time").AsDateTime(), EncodeTime(23, 59, 59, 0));
    EXPECT_EQ(reg.ReadValue("Moment||DateTime").VarType(), TVarType::varDate);

    // What the editor writes for a change at midnight reads back unchanged.
    reg.WriteValue("cfg_LastAplly|" + DateTimeToStr(day) + "|DateTime");
    EXPECT_EQ(DateTimeToStr(day), "09/12/2026");
    EXPECT_EQ(reg.ReadValue("cfg_LastAplly||DateTime").AsDateTime(), day);
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(WinRegistryTest, TextThatDoesNotConvertRaisesAndWritesNothing)
{
    EXPECT_THROW(reg.WriteValue("cfg_LastAplly|35065|DateTime"), EConvertError);
    EXPECT_THROW(reg.WriteValue("cfg_Action|abc|Integer"), EConvertError);
    EXPECT_THROW(reg.WriteValue("cfg_Action|2147483648|Integer"), EConvertError);
    EXPECT_THROW(reg.WriteValue("Money|1.5|Currency"), EConvertError);  // not the locale's separator
    EXPECT_THROW(reg.WriteValue("Clock|25:00|Time"), EConvertError);
    EXPECT_FALSE(Raw().ValueExists("cfg_LastAplly"));
    EXPECT_FALSE(Raw().ValueExists("cfg_Action"));
}

TEST_F(WinRegistryTest, MissingValuesRaiseForEveryTypeButText)
{
    for (const char* type : {"Integer", "Boolean", "Currency", "Date", "DateTime", "Float", "Time"}) {
        try {
            reg.ReadValue(String("cfg_Missing|0|") + type);
            ADD_FAILURE() << type << " read a missing value";
        } catch (const ERegistryException& e) {
            EXPECT_THAT(e.Message(), HasSubstr("'cfg_Missing'")) << type;
        }
    }
    EXPECT_EQ(reg.ReadValue("cfg_Missing| |String"), Variant(String()));
    // A value of another kind is no better than a missing one.
    reg.WriteValue("cfg_Order|1|Integer");
    EXPECT_THROW(reg.ReadValue("cfg_Order|0|Float"), ERegistryException);
    EXPECT_THROW(reg.ReadValue("cfg_Order|0|String"), ERegistryException);
}

TEST_F(WinRegistryTest, ANewInstallationHoldsNoPlaceholder)
{
    // Reading the editor's lines from an empty store: text reads empty, the
    // placeholders (" ", "0", "False", "35065") never surface, other kinds
    // raise naming their value.
    for (int i = 0; i < kEditorLines.Count(); ++i) {
        String line = kEditorLines[i];
        std::vector<String> fields = TWinRegistry::SplitLine(line);
        if (fields[2] == "String") {
            EXPECT_EQ(reg.ReadValue(line), Variant(String())) << line;
        } else {
            EXPECT_THROW(reg.ReadValue(line), ERegistryException) << line;
        }
    }
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(WinRegistryTest, WriteAllStopsAtTheFirstLineThatFails)
{
    reg.SetRegistryLines(kEditorLines);
    reg.RegistryLines().Put(13, "cfg_LastAplly|09/12/2026|DateTime");
    reg.RegistryLines().Put(7, "cfg_TimeLenght|doze|Integer");
    reg.RegistryLines().Put(3, "App_Height|bad|line|Inteiro");  // malformed: message, goes on
    EXPECT_FALSE(reg.WriteAll());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    TRegistry& r = Raw();
    for (int i = 0; i < 7; ++i) {
        String name = TWinRegistry::SplitLine(kEditorLines[i])[0];
        EXPECT_EQ(r.ValueExists(name), i != 3) << name;
    }
    for (int i = 7; i < 22; ++i) EXPECT_FALSE(r.ValueExists(TWinRegistry::SplitLine(kEditorLines[i])[0]));

    reg.RegistryLines().Put(7, "cfg_TimeLenght|12|Integer");
    EXPECT_TRUE(reg.WriteAll());
    EXPECT_EQ(Raw().ReadInteger("cfg_TimeLenght"), 12);
    EXPECT_EQ(Raw().ReadString("cfg_MailUser"), " ");

    reg.RegistryLines().Clear();
    EXPECT_TRUE(reg.WriteAll());
}

TEST_F(WinRegistryTest, RootAndPathAreTakenAtEachCall)
{
    TWinRegistry fresh(nullptr);
    EXPECT_EQ(fresh.HootKey, THootKey::HKEY_CLASSES_ROOT);

    reg.WriteValue("cfg_Action|1|Integer");
    reg.Path = "Control Panel\\Desktop\\";
    reg.WriteValue("Wallpaper|/home/u/.local/share/velvane/wallpaper.bmp|String");
    reg.Path = "Software\\Velvane\\";
    EXPECT_EQ(reg.ReadValue("cfg_Action||Integer").AsInteger(), 1);
    EXPECT_EQ(reg.ReadValue("Wallpaper||String"), Variant(String()));
    reg.HootKey = THootKey::HKEY_LOCAL_MACHINE;
    EXPECT_THROW(reg.ReadValue("cfg_Action||Integer"), ERegistryException);

    TRegistry desktop;
    ASSERT_TRUE(desktop.OpenKey("Control Panel\\Desktop", false));
    EXPECT_EQ(desktop.ReadString("Wallpaper"), "/home/u/.local/share/velvane/wallpaper.bmp");
}

TEST_F(WinRegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const int count = 1000;
    String go = env.Path("go");
    pid_t pids[2];
    const char* prefixes[2] = {"editor", "agent"};
    for (int p = 0; p < 2; ++p) {
        std::string countText = std::to_string(count);
        char* argv[] = {const_cast<char*>(REGISTRY_WRITER), const_cast<char*>(prefixes[p]), countText.data(),
                        go.data(), nullptr};
        ASSERT_EQ(posix_spawn(&pids[p], REGISTRY_WRITER, nullptr, nullptr, argv, environ), 0);
    }
    std::ofstream(go).put('1');
    for (pid_t pid : pids) {
        int status = -1;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                FAIL() << "writer did not finish";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    for (const char* prefix : prefixes)
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(reg.ReadValue(String(prefix) + "_" + std::to_string(i) + "||Integer").AsInteger(), i);
}

TEST_F(WinRegistryTest, AReaderSeesEachOfAnotherProcesssSavesWholeOrNotAtAll)
{
    // The writer saves four values at once, round after round; the four read
    // here together always come from one round.
    String go = env.Path("go"), count = "4", rounds = "1000";
    char* argv[] = {const_cast<char*>(REGISTRY_WRITER), const_cast<char*>("shared"), count.data(), go.data(),
                    rounds.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, REGISTRY_WRITER, nullptr, nullptr, argv, environ), 0);
    std::ofstream(go).put('1');
    int status = -1, mixed = 0;
    std::set<int> seen;
    for (bool ended = false; !ended;) {
        ended = waitpid(pid, &status, WNOHANG) != 0;
        seen.clear();
        reg.Together([&] {
            for (String line : {"shared_0||Integer", "shared_1||Integer", "shared_2||Integer", "shared_3||Integer"})
                seen.insert(reg.ValueExists(line) ? reg.ReadValue(line).AsInteger() : 0);
        });
        mixed += seen.size() > 1;
    }
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(seen, std::set<int>{1000});
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(WinRegistryTest, PathsHoldingABarAreKeptByBothProgramsLines)
{
    // The editor writes the document it has open and the entry it applied;
    // the agent reads them with its own lines and writes the entry back.
    const String document = "/home/u/a|b.vnx";
    const String entry = "/home/u/fotos|2024/c.jpg";
    reg.SetRegistryLines(kEditorLines);
    reg.RegistryLines().Put(11, "cfg_CurrentIMG|" + entry + "|String");
    reg.RegistryLines().Put(13, "cfg_LastAplly|09/12/2026|DateTime");
    reg.RegistryLines().Put(14, "cfg_FileInUse|" + document + "|String");
    EXPECT_TRUE(reg.WriteAll());
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(Raw().ReadString("cfg_FileInUse"), document);

    TWinRegistry agent(nullptr);
    agent.HootKey = THootKey::HKEY_CURRENT_USER;
    agent.Path = "Software\\Velvane\\";
    EXPECT_EQ(agent.ReadValue("cfg_FileInUse| |String").AsString(), document);
    EXPECT_EQ(agent.ReadValue("cfg_CurrentIMG| |String").AsString(), entry);
    agent.WriteValue("cfg_CurrentIMG|" + entry + "/d|e.jpg|String");
    EXPECT_EQ(reg.ReadValue(kEditorLines[11]).AsString(), entry + "/d|e.jpg");
    EXPECT_TRUE(dialogs.requests.empty());
}
