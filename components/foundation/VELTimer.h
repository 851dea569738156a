#pragma once
// TVELHiTimer: a non-visual timer with millisecond resolution. It ticks
// either from a thread of its own (UseThread; the tick runs on the main
// thread when Synchronize is set) or from a periodic multimedia timer whose
// callback posts WM_TIMER to a hidden window of the component. Both keep to
// absolute deadlines, so the period holds over a long run.
//
// A tick thread is asked to stop whenever the timer is rebuilt, and every
// tick thread has ended before the component is gone, so no tick ever
// reaches a freed component.

#include "components/foundation/VELCustomComponent.h"
#include "platform/classes/Thread.h"
#include "platform/rtl/TickClock.h"
#include "platform/win/MMSystem.h"
#include "platform/win/Windows.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace velvane {

class TVELHiTimer;

// The tick thread: made suspended, ticks at Interval until stopped.
class TVELThreadedTimer : public TThread {
public:
    explicit TVELThreadedTimer(TVELHiTimer* owner);
    ~TVELThreadedTimer() override;

    // Milliseconds between ticks; set before the thread starts.
    std::uint32_t Interval = 1000;
    // Asks the thread to end and wakes it from its wait.
    void Stop();

protected:
    void Execute() override;

private:
    friend class TVELHiTimer;
    bool StopTest() const;
    void Tick();

    std::mutex mutex_;
    std::condition_variable wake_;
    // Ticks count from the thread's making (when the timer was switched on),
    // not from whenever the system first runs it.
    const TTickClock::time_point since_ = TickClock().Now();
    // Cleared (main thread) once the owner lets go of this thread.
    std::atomic<TVELHiTimer*> owner_;
};

class TVELHiTimer : public TVELCustomComponent {
public:
    explicit TVELHiTimer(TComponent* owner);
    ~TVELHiTimer() override;
    const char* ClassName() const override { return "TVELHiTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return interval_; }
    // Kept within the timer device's minimum and maximum period.
    void SetInterval(std::uint32_t value);
    void SetOnTimer(TVELNotifyEvent handler);
    bool Synchronize() const { return synchronize_; }
    void SetSynchronize(bool value) { synchronize_ = value; }
    bool UseThread() const { return useThread_; }
    void SetUseThread(bool value);
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value);

    // Fires OnTimer (sender: the component).
    virtual void DoTimer();

    void DeclareProperties(TPropertyList& list) override;

private:
    friend class TVELThreadedTimer;
    void UpdateTimer();
    void StopTimers();
    void ReapThreads(bool all);
    void WndProc(TMessage& message);
    static void TimerCallback(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    std::atomic<bool> enabled_{false};
    std::uint32_t interval_ = 1000;
    std::mutex handlerMutex_;  // OnTimer may be read by a tick thread
    TVELNotifyEvent onTimer_;
    std::atomic<bool> synchronize_{true};
    bool useThread_ = true;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    UINT periodMin_ = 1;
    UINT periodMax_ = 1000000;
    std::atomic<UINT> timerId_{0};
    bool guard_ = false;
    HWND window_ = nullptr;
    std::unique_ptr<TVELThreadedTimer> thread_;
    // Threads told to stop, not yet ended (a rebuild does not wait).
    std::vector<std::unique_ptr<TVELThreadedTimer>> retired_;
    // The thread whose tick the main thread is running now.
    TVELThreadedTimer* tickingThread_ = nullptr;
    bool destroying_ = false;
    // Lets a tick tell whether its handler freed the component.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace velvane
