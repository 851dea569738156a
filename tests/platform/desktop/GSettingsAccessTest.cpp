#include "platform/desktop/GSettingsAccess.h"

#include "platform/desktop/ProgramRunner.h"
#include "tests/support/TempEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace velvane;

namespace {

const char* schemaXml = R"(<schemalist>
  <schema id="org.velvane.test.background" path="/org/velvane/test/background/">
    <key name="picture-uri" type="s"><default>''</default></key>
    <key name="picture-count" type="i"><default>0</default></key>
  </schema>
</schemalist>
)";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// GIO reads its schema folder and backend once per process, and ctest runs
// each case in its own, so all of it is one case.
TEST(GSettingsAccessTest, ChecksTheSchemaBeforeWritingThroughGio)
{
    test::TempEnv env;
    const std::string schemas = env.Path("schemas");
    std::filesystem::create_directories(schemas);
    std::ofstream(schemas + "/org.velvane.test.gschema.xml") << schemaXml;
    if (RunProgram("glib-compile-schemas", {schemas}) != 0) GTEST_SKIP() << "glib-compile-schemas is missing";
    setenv("GSETTINGS_SCHEMA_DIR", schemas.c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);

    EXPECT_TRUE(GSettingsHasKey("org.velvane.test.background", "picture-uri"));
    EXPECT_FALSE(GSettingsHasKey("org.velvane.test.background", "picture-uri-dark"));
    EXPECT_FALSE(GSettingsHasKey("org.velvane.no.such.schema", "picture-uri"));
    EXPECT_FALSE(GSettingsSetString("org.velvane.no.such.schema", "picture-uri", "x"));
    EXPECT_FALSE(GSettingsSetString("org.velvane.test.background", "picture-uri-dark", "x"));
    EXPECT_FALSE(GSettingsSetString("org.velvane.test.background", "picture-count", "x"));  // not a string key

    EXPECT_EQ(GSettingsGetText("org.velvane.test.background", "picture-count"), "0");  // integers as text
    EXPECT_EQ(GSettingsGetText("org.velvane.test.background", "picture-uri-dark"), std::nullopt);
    EXPECT_EQ(GSettingsGetText("org.velvane.no.such.schema", "picture-uri"), std::nullopt);

    ASSERT_TRUE(GSettingsSetString("org.velvane.test.background", "picture-uri", "file:///a%20b.bmp"));
    EXPECT_EQ(GSettingsGetText("org.velvane.test.background", "picture-uri"), "file:///a%20b.bmp");
    const std::string keyfile = ReadAll(env.ConfigHome() + "/glib-2.0/settings/keyfile");
    EXPECT_THAT(keyfile, testing::HasSubstr("[org/velvane/test/background]"));
    EXPECT_THAT(keyfile, testing::HasSubstr("picture-uri='file:///a%20b.bmp'"));
}
