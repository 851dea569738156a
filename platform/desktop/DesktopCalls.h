#pragma once
// What a wallpaper backend asks of the desktop, behind one interface so that
// tests can record the calls instead of making them.

#include "platform/rtl/Types.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace velvane {

class DesktopCalls {
public:
    virtual ~DesktopCalls() = default;

    // Runs the program (looked up in PATH) with the arguments, never through
    // a shell. Returns its exit code, or -1 when it could not be started or
    // did not exit normally. Its standard output goes to *output when given.
    virtual int RunProgram(const String& program, const std::vector<String>& args,
                           String* output = nullptr) = 0;
    // False when the schema is not installed or lacks the key.
    virtual bool HasGSettingKey(const String& schema, const String& key) = 0;
    // Writes a string key and syncs; false when it could not be written.
    virtual bool SetGSetting(const String& schema, const String& key, const String& value) = 0;
    // A method call with string arguments on the session bus; false when the
    // bus or the service is missing or the call returned an error.
    virtual bool CallDBus(const String& service, const String& path, const String& interface,
                          const String& method, const std::vector<String>& args) = 0;
    // Makes the picture the X root window's background on the display.
    // Returns a system error number, ERROR_SUCCESS when it was set.
    virtual std::uint32_t SetRootPicture(const String& display, const QImage& picture) = 0;
};

// The calls made for real.
DesktopCalls& SystemDesktopCalls();

} // namespace velvane
