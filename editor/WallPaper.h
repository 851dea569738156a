#pragma once
// TWallPaper: the editor's apply job. A thread never started: ApllyClick
// calls Execute on the main thread; Busy keeps it apart from the other jobs.

#include "platform/classes/Thread.h"

#include <atomic>

namespace velvane {

class TMainForm;

class TWallPaper : public TThread {
public:
    explicit TWallPaper(TMainForm* form) : TThread(true), form_(form) {}
    std::atomic<bool> Busy{false};

    // The apply job: the selected list entry, or else the picture address
    // typed in the address box, becomes the wallpaper.
    void Execute() override;

private:
    TMainForm* form_;
};

} // namespace velvane
