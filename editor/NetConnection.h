#pragma once
// TNetConnection: the server's settings and their download job. Like the
// wallpaper job it is a thread never started: its body runs on the main
// thread when called, and its busy flag keeps two jobs from running at once.
// The download itself fills in Execute.

#include "platform/classes/Thread.h"
#include "platform/rtl/Types.h"

#include <atomic>

namespace velvane {

class TNetConnection : public TThread {
public:
    TNetConnection() : TThread(true) {}
    std::atomic<bool> Busy{false};
    // The server values are known (read by the connection watch).
    std::atomic<bool> SettingsLoaded{false};
    // The "host=" line of the settings file.
    String Host;

    void Execute() override {}
    // The PC went offline: the server settings count as not loaded.
    void SetOffLine() { SettingsLoaded = false; }
};

} // namespace velvane
