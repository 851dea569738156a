#pragma once
// TSpyConnection: the editor's connection watch. Every few seconds, while no
// job runs, it has the main thread check the connection, fetch the server's
// settings when they are missing, and show the state in the status bar: all
// in one hand-over, so an idle pass wakes each thread once.

#include "platform/classes/Thread.h"

#include <functional>

namespace velvane {

class TMainForm;

class TSpyConnection : public TThread {
public:
    // Created suspended: the window sets its priority and resumes it.
    explicit TSpyConnection(TMainForm* form);
    ~TSpyConnection() override;

    // Waits between passes; returns early once the thread is terminated.
    // Tests replace it.
    std::function<void(int milliseconds)> Pause;

protected:
    void Execute() override;

private:
    bool JobRunning() const;
    // One pass on the main thread.
    void Pass();
    TMainForm* form_;
};

} // namespace velvane
