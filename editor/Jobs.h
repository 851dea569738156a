#pragma once
// The editor's two job objects. They are threads never started: their job
// bodies run on the main thread when called, and their busy flags keep two
// jobs from running at once. The wallpaper job and the settings download
// fill in Execute.

#include "platform/classes/Thread.h"

#include <atomic>

namespace velvane {

class TWallPaper : public TThread {
public:
    TWallPaper() : TThread(true) {}
    std::atomic<bool> Busy{false};

protected:
    void Execute() override {}
};

class TNetConnection : public TThread {
public:
    TNetConnection() : TThread(true) {}
    std::atomic<bool> Busy{false};

protected:
    void Execute() override {}
};

} // namespace velvane
