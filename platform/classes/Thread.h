#pragma once
// TThread: a worker thread with the class library's life cycle.
//
// Synchronize runs a call on the main thread and waits for it; an exception
// raised there is raised again in the calling thread. The main thread serves
// pending calls from its event loop (CheckSynchronize), and WaitFor on the
// main thread keeps serving them, so stopping a thread that waits in
// Synchronize does not dead-lock.

#include "platform/rtl/Types.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace velvane {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
public:
    // A suspended thread starts on Resume (or Start). Otherwise it starts
    // once the main thread next serves calls (CheckSynchronize, or WaitFor
    // on the main thread), since Execute may not run before the derived
    // object is complete; only the main thread may create a thread that way
    // (EThread elsewhere).
    explicit TThread(bool createSuspended);
    // Terminates and waits for a running thread. Its derived part is gone by
    // then: a derived Execute that uses its own members must be stopped in
    // the derived destructor (Terminate(); WaitFor();).
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Resume();
    void Start() { Resume(); }
    // Asks Execute to stop and wakes a PauseUnlessTerminated in progress.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // A worker loop's pause: waits the given time, or less once Terminate is
    // called. True when the thread is terminated. The thread sleeps through
    // the whole pause, so an idle loop wakes only when its time is up.
    bool PauseUnlessTerminated(int milliseconds);
    bool Suspended() const;
    bool Finished() const { return finished_; }
    // Waits until Execute has returned; returns ReturnValue. Raises EThread
    // from the thread itself and for a thread that was never started.
    int WaitFor();

    TThreadPriority Priority() const { return priority_; }
    // Applied to the running thread as its scheduling nice value, as far as
    // the system allows; the value is kept either way.
    void SetPriority(TThreadPriority priority);

    // An exception that escaped Execute, if any.
    std::exception_ptr FatalException() const { return fatal_; }

    // Deletes the object when Execute returns. Set before Resume.
    bool FreeOnTerminate = false;
    // Runs on the main thread (through Synchronize) after Execute returns.
    std::function<void(TThread*)> OnTerminate;

    void Synchronize(const std::function<void()>& method);
    static void Synchronize(TThread* thread, const std::function<void()>& method);
    // A worker loop's step and its pause in one, from the thread itself: the
    // call goes to the main thread, and pause(milliseconds) runs while the
    // main thread runs it, so a step at rest wakes the worker once, not
    // twice. The pause counts from the hand-over; a call still running when
    // it ends is waited for and gets a pause of its own after it. What the
    // call raised is raised again after the pause. The call is not made once
    // the thread is asked to stop (a window that closes serves pending calls
    // from inside its wait, and must not start new work there).
    void SynchronizeAndPause(const std::function<void()>& method, const std::function<void(int)>& pause,
                             int milliseconds);

protected:
    virtual void Execute() = 0;
    int ReturnValue = 0;

private:
    friend bool CheckSynchronize();

    void Run();
    void ApplyPriority();
    // Both with the shared synchronisation lock held.
    void StartLocked();
    void CancelPendingStartLocked();
    // WaitFor without its checks, for the destructor.
    void WaitUntilFinished();

    std::thread thread_;
    // Held while the thread is being started and while its id is in use, so
    // the new thread sees thread_ set and nobody renices a finished thread.
    std::mutex startMutex_;
    std::atomic<bool> terminated_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> started_{false};
    bool pendingStart_ = false;   // under the shared synchronisation lock
    std::atomic<int> nativeTid_{0};
    std::atomic<TThreadPriority> priority_{TThreadPriority::tpNormal};
    std::exception_ptr fatal_;
};

bool IsMainThread();
// Runs the calls other threads queued with Synchronize; true when any ran.
// The application object calls it from the event loop.
bool CheckSynchronize();
// Whether some thread waits for a call it handed to the main thread to
// return (queued or running).
bool SynchronizeCallsWaiting();
// How many calls other threads have handed to the main thread so far: each
// wakes both threads, which is what a program at rest should keep rare.
std::uint64_t SynchronizeCallsMade();
// Called (from any thread) whenever a call is queued, so that the main
// thread's event loop can wake and serve it. The application object sets it.
void SetWakeMainThread(std::function<void()> wake);

} // namespace velvane
