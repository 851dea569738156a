#include "components/foundation/VELIniCtrl.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/Registry.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

using namespace velvane;

namespace {

class TNamedIniCtrl : public TVELIniCtrl {
public:
    using TVELIniCtrl::TVELIniCtrl;

protected:
    String QueryUserName() override { return "ana"; }
};

} // namespace

TEST(IniCtrl, FileTargetRewritesTheWholeFileOrLeavesItAsItWas)
{
    velvane::test::TempEnv env;
    TVELIniCtrl ini(nullptr);
    ini.SetTarget(TVELIniTarget::itIniFile);
    ini.SetIniFile("kestrin");
    const String path = env.ConfigHome() + "/velvane/kestrin.INI";
    ASSERT_EQ(ini.FileName(), path);
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

    ini.DeleteKey("Janela", "Top");
    ini.EraseSection("Outra");
    const String before = ReadFileBytes(path);
    EXPECT_EQ(before, "; kept as it is\n[janela]\nLeft=7\n\n[Fim]\n\n[Novo]\nAtivo=1\n");

    // What an INI file cannot hold is refused, and a write that fails part
    // way leaves the old file whole.
    EXPECT_THROW(ini.WriteString("Janela", "Nota", "two\nlines"), EInvalidOperation);
    EXPECT_THROW(ini.WriteString("Janela", "a=b", "x"), EInvalidOperation);
    EXPECT_THROW(ini.WriteString("Ja]nela", "a", "x"), EInvalidOperation);
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
