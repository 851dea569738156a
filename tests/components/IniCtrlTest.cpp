#include "components/VELIniCtrl.h"
#include "components/VELStrings.h"
#include "components/velprocs.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/Registry.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace velvane;

namespace {

class TNamedIniCtrl : public TVELIniCtrl {
public:
    using TVELIniCtrl::TVELIniCtrl;

protected:
    String QueryUserName() override { return "ana"; }
};

String Login() { return getpwuid(getuid())->pw_name; }

} // namespace

TEST(IniCtrl, PropertiesFollowTheirSetterRules)
{
    TVELIniCtrl ini(nullptr);
    EXPECT_EQ(ini.EffectiveTarget(), TVELIniTarget::itRegistry);

    ini.SetIniFile("settings");
    EXPECT_EQ(ini.IniFile(), "settings.INI");
    ini.SetIniFile("kestrin.cfg");
    EXPECT_EQ(ini.IniFile(), "kestrin.cfg");
    ini.SetIniFile("");
    EXPECT_EQ(ini.IniFile(), ".INI");

    ini.SetMaxEntries(30);
    ini.SetAlphaCounter(true);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(27);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(20);
    EXPECT_EQ(ini.MaxEntries(), 20);

    ini.SetTarget(TVELIniTarget::itIniFile);
    EXPECT_EQ(ini.EffectiveTarget(), TVELIniTarget::itIniFile);
    ini.SetTarget(TVELIniTarget::itAuto);
    EXPECT_EQ(ini.EffectiveTarget(), TVELIniTarget::itRegistry);

    ini.SetNetUser(true);
    EXPECT_EQ(ini.User, Login());
    TNamedIniCtrl named(nullptr);
    named.SetNetUser(true);
    EXPECT_EQ(named.User, "ana");
}

TEST(IniCtrl, FileTargetKeepsAWholeIniFile)
{
    velvane::test::TempEnv env;
    TVELIniCtrl ini(nullptr);
    ini.SetTarget(TVELIniTarget::itIniFile);
    ini.SetIniFile("kestrin");
    const String path = env.ConfigHome() + "/velvane/kestrin.INI";
    EXPECT_EQ(ini.FileName(), path);
    EXPECT_EQ(ini.ReadString("Janela", "Top", "none"), "none");

    ForceDirectories(ExtractFilePath(path));
    AtomicWriteFile(path, "; kept as it is\n[Outra]\nx = 1\n\n[janela]\nleft=5\n\n[Fim]\n");
    ini.WriteInteger("Janela", "Top", 120);
    ini.WriteString("Janela", "Left", "7");
    ini.WriteBool("Novo", "Ativo", true);
    EXPECT_EQ(ReadFileBytes(path),
              "; kept as it is\n[Outra]\nx = 1\n\n[janela]\nLeft=7\nTop=120\n\n[Fim]\n\n[Novo]\nAtivo=1\n");
    EXPECT_EQ(ini.ReadInteger("JANELA", "top", 0), 120);
    EXPECT_EQ(ini.ReadString("Outra", "X", ""), "1");
    EXPECT_TRUE(ini.ReadBool("Novo", "Ativo", false));
    EXPECT_EQ(ini.ReadInteger("Janela", "Missing", -3), -3);

    ini.DeleteKey("Janela", "Top");
    ini.EraseSection("Outra");
    EXPECT_EQ(ReadFileBytes(path), "; kept as it is\n[janela]\nLeft=7\n\n[Fim]\n\n[Novo]\nAtivo=1\n");

    // What an INI file cannot hold is refused, and the file stays as it was.
    const String before = ReadFileBytes(path);
    EXPECT_THROW(ini.WriteString("Janela", "Nota", "two\nlines"), EInvalidOperation);
    EXPECT_THROW(ini.WriteString("Janela", "a=b", "x"), EInvalidOperation);
    EXPECT_THROW(ini.WriteString("Ja]nela", "a", "x"), EInvalidOperation);
    EXPECT_EQ(ReadFileBytes(path), before);

    // A write that fails part way leaves the old file whole.
    {
        velvane::test::FileSizeLimit limit(16);
        EXPECT_THROW(ini.WriteString("Janela", "Longo", String(200, 'v')), Exception);
    }
    EXPECT_EQ(ReadFileBytes(path), before);

    // Sections of one user, in the folder another prefix names.
    TNamedIniCtrl own(nullptr);
    own.SetTarget(TVELIniTarget::itIniFile);
    own.SetIniFile("shared.ini");
    own.IniPrefix = TVELPathPrefix::ppSystem;
    own.Common = false;
    own.SetNetUser(true);
    own.WriteString("Lista", "Atual", "a.vnx");
    EXPECT_EQ(ReadFileBytes(env.DataHome() + "/velvane/shared.ini"), "[ana\\Lista]\nAtual=a.vnx\n");
}

TEST(IniCtrl, RegistryTargetWritesTheSettingsStore)
{
    velvane::test::TempEnv env;
    TNamedIniCtrl ini(nullptr);
    EXPECT_EQ(ini.KeyPath("Janela"), "Software\\test_components\\Janela");
    ini.RegPath = "Software\\Velvane\\Kestrin\\";
    ini.WriteString("Janela", "Caption", "Velvane");
    ini.WriteInteger("Janela", "Top", 99);
    ini.WriteBool("Janela", "Max", false);

    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Velvane\\Kestrin\\Janela", false));
    EXPECT_EQ(registry.ReadString("Caption"), "Velvane");
    EXPECT_EQ(registry.ReadInteger("Top"), 99);
    registry.WriteString("Left", "12");

    EXPECT_EQ(ini.ReadInteger("janela", "LEFT", 0), 12);
    EXPECT_EQ(ini.ReadString("Janela", "Top", ""), "99");
    EXPECT_FALSE(ini.ReadBool("Janela", "Max", true));
    EXPECT_EQ(ini.ReadString("Janela", "Nothing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Sem", "Nada", 8), 8);

    ini.Common = false;
    ini.SetNetUser(true);
    EXPECT_EQ(ini.KeyPath("Janela"), "Software\\Velvane\\Kestrin\\ana\\Janela");
    ini.WriteString("Janela", "Caption", "own");
    ini.Common = true;
    EXPECT_EQ(ini.ReadString("Janela", "Caption", ""), "Velvane");

    ini.DeleteKey("Janela", "Top");
    EXPECT_EQ(ini.ReadInteger("Janela", "Top", -1), -1);
    ini.EraseSection("Janela");
    EXPECT_EQ(ini.ReadString("Janela", "Caption", "gone"), "gone");
}

TEST(Helpers, BlanksAndDelimiters)
{
    EXPECT_TRUE(IsBlankStr("   "));
    EXPECT_FALSE(IsBlankStr(" \t"));
    EXPECT_EQ(AddBackslash("/tmp/"), "/tmp/");
    EXPECT_EQ(AddBackslash("  "), "  /");  // blank text always gets one
    EXPECT_EQ(DelBackslash("/tmp//"), "/tmp/");
    EXPECT_EQ(DelBackslash(""), "");
}

TEST(Helpers, FoldersAndNames)
{
    velvane::test::TempEnv env;
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppFixed, true), "");
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppFixed, false), "");
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppWindows, false), env.ConfigHome() + "/velvane");
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppWindows, true), env.ConfigHome() + "/velvane/");
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppSystem, true), env.DataHome() + "/velvane/");
    EXPECT_EQ(PrefixPath(TVELPathPrefix::ppProgram, false), env.DataHome() + "/velvane");
    EXPECT_EQ(ProgramDir(), env.DataHome() + "/velvane/");
    EXPECT_EQ(UserName(), Login());
    EXPECT_EQ(ExtractFileName(ProgramFileName()), "test_components");
}

TEST(Helpers, RectangleArithmetic)
{
    EXPECT_EQ(ProportionalRect(Rect(0, 0, 200, 100), Rect(10, 20, 110, 220)), Rect(10, 20, 110, 70));
    EXPECT_EQ(ProportionalRect(Rect(5, 5, 35, 25), Rect(0, 0, 100, 50)), Rect(0, 0, 75, 50));
    // Sizes are truncated, not rounded.
    EXPECT_EQ(ProportionalRect(Rect(0, 0, 3, 2), Rect(0, 0, 5, 100)), Rect(0, 0, 5, 3));
    EXPECT_EQ(ProportionalRect(Rect(0, 0, 0, 10), Rect(4, 4, 50, 50)), Rect(4, 4, 4, 4));
    EXPECT_EQ(RectSize(Rect(3, 4, 10, 20)), (TPoint{7, 16}));

    EXPECT_EQ(RotatedRectBounds(Rect(0, 0, 100, 20), 90), Rect(0, 0, 20, 100));
    EXPECT_EQ(RotatedRectBounds(Rect(0, 0, 100, 20), 180), Rect(0, 0, 100, 20));
    EXPECT_EQ(RotatedRectBounds(Rect(7, 7, 17, 17), 45), Rect(0, 0, 14, 14));
    EXPECT_EQ(RotatedRectBounds(Rect(5, 6, 50, 60), 0), Rect(5, 6, 50, 60));

    const int values[] = {3, -7, 12, 0};
    EXPECT_EQ(MaxOfArray(values), 12);
    EXPECT_EQ(MinOfArray(values), -7);
    EXPECT_EQ(MaxOfArray(std::span<const int>()), 0);
}
