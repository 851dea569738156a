#pragma once
// TWallPaper: the agent's wallpaper job. A thread never started: the window
// calls Execute on the main thread; Busy keeps two jobs (and a job and the
// settings download) apart.

#include "platform/classes/Thread.h"
#include "platform/rtl/Exceptions.h"

#include <atomic>
#include <memory>

namespace velvane::agent {

class TMainForm;

class TWallPaper : public TThread {
public:
    explicit TWallPaper(TMainForm* form) : TThread(true), form_(form) {}
    std::atomic<bool> Busy{false};

    // The forced entry, or the next one, becomes the wallpaper with the
    // banner and the message drawn on it. A failure the window recovers from
    // is handed to it once the job has let go; other errors go to the caller.
    void Execute() override;

private:
    // The job's steps; a failure to recover from is left in pending.
    void Run(std::unique_ptr<Exception>& pending);
    TMainForm* form_;
};

} // namespace velvane::agent
