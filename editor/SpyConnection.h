#pragma once
// TSpyConnection: the editor's connection watch. Every few seconds, while no
// job runs, it has the main thread check the connection, fetch the server's
// settings when they are missing, and show the state in the status bar.

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
    void Pass();
    // One synchronized step of a pass; false once the thread is asked to
    // stop (before, during or after the step), so the pass ends there.
    bool Step(const std::function<void()>& call);
    // The settings download as a step; its failure leaves Online as it is.
    bool Download();
    TMainForm* form_;
};

} // namespace velvane
