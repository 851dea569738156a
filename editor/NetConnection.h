#pragma once
// TNetConnection: the settings-file download job. Like the wallpaper job it
// is a thread never started: its body runs on the main thread when called,
// and its busy flag keeps two jobs from running at once. The download itself
// fills in Execute.

#include "platform/classes/Thread.h"

#include <atomic>

namespace velvane {

class TNetConnection : public TThread {
public:
    TNetConnection() : TThread(true) {}
    std::atomic<bool> Busy{false};

protected:
    void Execute() override {}
};

} // namespace velvane
