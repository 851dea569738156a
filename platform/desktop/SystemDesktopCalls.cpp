#include "platform/desktop/DBusCall.h"
#include "platform/desktop/DesktopCalls.h"
#include "platform/desktop/GSettingsAccess.h"
#include "platform/desktop/ProgramRunner.h"
#include "platform/desktop/RootPicture.h"

namespace velvane {

namespace {

class SystemCalls final : public DesktopCalls {
public:
    int RunProgram(const String& program, const std::vector<String>& args, String* output) override
    {
        return velvane::RunProgram(program, args, output);
    }
    bool HasGSettingKey(const String& schema, const String& key) override { return GSettingsHasKey(schema, key); }
    bool SetGSetting(const String& schema, const String& key, const String& value) override
    {
        return GSettingsSetString(schema, key, value);
    }
    bool CallDBus(const String& service, const String& path, const String& interface, const String& method,
                  const std::vector<String>& args) override
    {
        return CallSessionBus(service, path, interface, method, args);
    }
    std::uint32_t SetRootPicture(const String& display, const QImage& picture) override
    {
        return SetRootWindowPicture(display, picture);
    }
};

} // namespace

DesktopCalls& SystemDesktopCalls()
{
    static SystemCalls calls;
    return calls;
}

} // namespace velvane
