#include "platform/desktop/DesktopProxy.h"
#include "platform/win/InternetSettings.h"

#include "platform/win/Registry.h"
#include "platform/win/WinError.h"
#include "platform/win/WinReg.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace velvane;

namespace {

constexpr const char* internetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Fake GSettings and environment, so the desktop the tests run on never leaks in.
class DesktopProxyTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetDesktopProxySources({[this](const String& schema, const String& key) -> std::optional<String> {
                                    auto it = settings.find(schema + " " + key);
                                    if (it == settings.end()) return std::nullopt;
                                    return it->second;
                                },
                                [this](const String& name) -> std::optional<String> {
                                    auto it = environment.find(name);
                                    if (it == environment.end()) return std::nullopt;
                                    return it->second;
                                }});
    }
    void TearDown() override { SetDesktopProxySources({}); }

    void ManualGnomeProxy(const String& host, const String& port)
    {
        settings["org.gnome.system.proxy mode"] = "manual";
        settings["org.gnome.system.proxy.http host"] = host;
        settings["org.gnome.system.proxy.http port"] = port;
    }

    // The value as the programs read it: open without create, query, close.
    LONG ReadProxyServer(String& text)
    {
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, internetSettings, 0, KEY_READ, &key);
        if (rc != static_cast<LONG>(ERROR_SUCCESS)) return rc;
        char buffer[256] = {};
        DWORD size = sizeof buffer, type = 0;
        rc = RegQueryValueExA(key, "ProxyServer", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (rc == static_cast<LONG>(ERROR_SUCCESS)) {
            EXPECT_EQ(type, REG_SZ);
            EXPECT_EQ(size, std::strlen(buffer) + 1);
            text = buffer;
        }
        return rc;
    }

    test::TempEnv env;
    std::map<String, String> settings;
    std::map<String, String> environment;
};

} // namespace

TEST_F(DesktopProxyTest, TheStoreValueWins)
{
    ManualGnomeProxy("gnome.example.com", "8080");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(internetSettings, true));
    reg.WriteString("ProxyServer", "10.0.0.1:3128");
    reg.CloseKey();

    String text;
    ASSERT_EQ(ReadProxyServer(text), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(text, "10.0.0.1:3128");
}

TEST_F(DesktopProxyTest, GnomeManualModeIsOfferedThroughTheRegistry)
{
    ManualGnomeProxy("gnome.example.com", "8080");
    environment["http_proxy"] = "http://env.example.com:1/";  // GSettings comes first

    String text;
    ASSERT_EQ(ReadProxyServer(text), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(text, "gnome.example.com:8080");

    // TRegistry sits on the same calls; other values of the key stay missing.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(internetSettings));
    EXPECT_TRUE(reg.ValueExists("ProxyServer"));
    EXPECT_EQ(reg.ReadString("ProxyServer"), "gnome.example.com:8080");
    EXPECT_FALSE(reg.ValueExists("ProxyEnable"));
    reg.CloseKey();

    // A small buffer is told the size needed, terminator counted.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, internetSettings, 0, KEY_READ, &key), static_cast<LONG>(ERROR_SUCCESS));
    char small[4];
    DWORD size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "proxyserver", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 23u);
    RegCloseKey(key);

    // GNOME's port 0 means none was given: http's own.
    settings["org.gnome.system.proxy.http port"] = "0";
    EXPECT_EQ(DesktopHttpProxy(), "gnome.example.com:80");
}

TEST_F(DesktopProxyTest, GnomeOtherModesOrNoHostFallToTheEnvironment)
{
    ManualGnomeProxy("gnome.example.com", "8080");
    environment["http_proxy"] = "env.example.com:3128";
    for (const char* mode : {"none", "auto"}) {
        settings["org.gnome.system.proxy mode"] = mode;
        EXPECT_EQ(DesktopHttpProxy(), "env.example.com:3128") << mode;
    }
    ManualGnomeProxy("", "8080");
    EXPECT_EQ(DesktopHttpProxy(), "env.example.com:3128");
}

TEST_F(DesktopProxyTest, EnvironmentFormsGiveHostAndPort)
{
    const std::pair<const char*, const char*> forms[] = {
        {"http://user:pw@proxy.example.com:3128/", "proxy.example.com:3128"},
        {"proxy:8080", "proxy:8080"},
        {"https://proxy.example.com", "proxy.example.com:443"},
        {"proxy.example.com/", "proxy.example.com:80"},
        {"http://127.0.0.1/", "127.0.0.1:80"},
        {"http://127.0.0.1:/", "127.0.0.1:80"},
        {"http://[::1]/", "[::1]:80"},
        {"http://[::1]:3128", "[::1]:3128"},
        {" http://10.0.0.9:80/path/x \n", "10.0.0.9:80"},
        {"http://a@b@proxy:81", "proxy:81"},
    };
    for (const auto& [value, expected] : forms) {
        environment["http_proxy"] = value;
        EXPECT_EQ(DesktopHttpProxy(), expected) << value;
    }

    environment.clear();
    environment["HTTP_PROXY"] = "http://upper.example.com:8000";
    EXPECT_EQ(DesktopHttpProxy(), "upper.example.com:8000");
    environment["http_proxy"] = "lower.example.com:8001";  // lower case first, as curl reads them
    EXPECT_EQ(DesktopHttpProxy(), "lower.example.com:8001");
    environment["http_proxy"] = "";  // empty counts as unset
    EXPECT_EQ(DesktopHttpProxy(), "upper.example.com:8000");
}

TEST_F(DesktopProxyTest, NothingAnywhereLeavesTheValueAndKeyMissing)
{
    settings["org.gnome.system.proxy mode"] = "none";
    environment["http_proxy"] = "http://";
    EXPECT_EQ(DesktopHttpProxy(), std::nullopt);

    String text;
    EXPECT_EQ(ReadProxyServer(text), static_cast<LONG>(ERROR_FILE_NOT_FOUND));  // the key is not there
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(internetSettings, false));

    // With the key in the store but no value, the query fails as before.
    ASSERT_TRUE(reg.OpenKey(internetSettings, true));
    reg.CloseKey();
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, internetSettings, 0, KEY_READ, &key), static_cast<LONG>(ERROR_SUCCESS));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "ProxyServer", nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
}

// The desktop's value is offered under that one key only.
TEST_F(DesktopProxyTest, OtherKeysAndValuesAreNotProvided)
{
    environment["http_proxy"] = "proxy:8080";
    EXPECT_TRUE(DesktopProvidesKey("hkey_current_user\\software\\microsoft\\windows\\currentversion\\internet settings"));
    EXPECT_FALSE(DesktopProvidesKey("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"));
    EXPECT_FALSE(DesktopProvidedValue("HKEY_CURRENT_USER\\Software\\Velvane", "ProxyServer").has_value());
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, internetSettings, 0, KEY_READ, &key),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}
