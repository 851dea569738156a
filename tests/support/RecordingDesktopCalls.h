#pragma once
// Desktop calls that are written down instead of made, with scripted answers.

#include "platform/desktop/DesktopCalls.h"
#include "platform/win/WinError.h"

#include <set>
#include <string>
#include <vector>

namespace velvane::test {

class RecordingDesktopCalls final : public DesktopCalls {
public:
    std::vector<std::string> log;
    // "schema key" pairs the installed schemas have.
    std::set<std::string> keys;
    std::string programOutput;
    int exitCode = 0;
    bool dbusAnswers = true;
    std::uint32_t rootResult = ERROR_SUCCESS;

    int RunProgram(const String& program, const std::vector<String>& args, String* output) override
    {
        std::string line = "run " + program;
        for (const auto& a : args) line += "|" + a;
        log.push_back(line);
        if (output) *output = programOutput;
        return exitCode;
    }
    bool HasGSettingKey(const String& schema, const String& key) override
    {
        log.push_back("has " + schema + " " + key);
        return keys.count(schema + " " + key) > 0;
    }
    bool SetGSetting(const String& schema, const String& key, const String& value) override
    {
        log.push_back("set " + schema + " " + key + " " + value);
        return true;
    }
    bool CallDBus(const String& service, const String& path, const String& interface, const String& method,
                  const std::vector<String>& args) override
    {
        std::string line = "dbus " + service + " " + path + " " + interface + " " + method;
        for (const auto& a : args) line += "|" + a;
        log.push_back(line);
        return dbusAnswers;
    }
    // The last picture handed to the root window.
    QImage rootPicture;
    std::uint32_t SetRootPicture(const String& display, const QImage& picture) override
    {
        log.push_back("root " + display + " " + std::to_string(picture.width()) + "x" + std::to_string(picture.height()));
        rootPicture = picture;
        return rootResult;
    }
};

} // namespace velvane::test
