#include "platform/classes/Thread.h"

#include "platform/rtl/Exceptions.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <system_error>
#include <vector>

namespace velvane {

namespace {

std::thread::id MainThreadId()
{
    static const std::thread::id id = std::this_thread::get_id();
    return id;
}

// The library is initialised on the main thread, before main() runs.
[[maybe_unused]] const std::thread::id recordMainThread = MainThreadId();

// A Synchronize call waiting on its caller's stack until the main thread ran it.
struct SyncRequest {
    const std::function<void()>* method = nullptr;
    std::exception_ptr error;
    bool done = false;
};

struct SyncState {
    std::mutex mutex;
    // Signalled when a call is queued or served and when a thread finishes.
    std::condition_variable changed;
    std::deque<SyncRequest*> queue;
    int unanswered = 0;  // calls queued or running
    std::vector<TThread*> pendingStarts;

    std::mutex wakeMutex;
    std::function<void()> wake;
};

// Never destroyed: a thread may still finish while statics are torn down.
SyncState& State()
{
    static auto* state = new SyncState;
    return *state;
}

thread_local TThread* currentThread = nullptr;

std::atomic<std::uint64_t> callsMade{0};

void WakeMainThread()
{
    std::function<void()> wake;
    {
        std::lock_guard lock(State().wakeMutex);
        wake = State().wake;
    }
    if (!wake) return;
    try {
        wake();
    } catch (...) {
        // The call is queued either way; the loop will find it on its next pass.
    }
}

// Queues a call for the main thread and wakes it.
void HandOver(SyncRequest& request)
{
    SyncState& s = State();
    {
        std::lock_guard lock(s.mutex);
        ++callsMade;
        ++s.unanswered;
        s.queue.push_back(&request);
    }
    s.changed.notify_all();  // the main thread may be in WaitFor
    WakeMainThread();
}

// Waits until the main thread has run the call; true when it was not done yet.
bool AwaitAnswer(SyncRequest& request)
{
    SyncState& s = State();
    std::unique_lock lock(s.mutex);
    if (request.done) return false;
    s.changed.wait(lock, [&] { return request.done; });
    return true;
}

int NiceValue(TThreadPriority priority)
{
    switch (priority) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -15;
    }
    return 0;
}

} // namespace

bool IsMainThread()
{
    return std::this_thread::get_id() == MainThreadId();
}

void SetWakeMainThread(std::function<void()> wake)
{
    std::lock_guard lock(State().wakeMutex);
    State().wake = std::move(wake);
}

bool CheckSynchronize()
{
    if (!IsMainThread()) return false;
    SyncState& s = State();
    std::size_t budget;
    {
        std::lock_guard lock(s.mutex);
        // Threads created running start here, now that their constructors
        // have returned.
        while (!s.pendingStarts.empty()) s.pendingStarts.front()->StartLocked();
        budget = s.queue.size();
    }
    // One at a time from the shared queue, so that a call which itself waits
    // for another thread lets a nested CheckSynchronize serve that thread.
    // Only what was queued on entry: a busy thread cannot keep us here.
    bool ran = false;
    for (; budget > 0; --budget) {
        SyncRequest* request;
        {
            std::lock_guard lock(s.mutex);
            if (s.queue.empty()) break;
            request = s.queue.front();
            s.queue.pop_front();
        }
        try {
            (*request->method)();
        } catch (...) {
            request->error = std::current_exception();
        }
        {
            std::lock_guard lock(s.mutex);
            request->done = true;
            --s.unanswered;
        }
        s.changed.notify_all();
        ran = true;
    }
    return ran;
}

std::uint64_t SynchronizeCallsMade() { return callsMade; }

bool SynchronizeCallsWaiting()
{
    std::lock_guard lock(State().mutex);
    return State().unanswered > 0;
}

TThread::TThread(bool createSuspended)
{
    if (createSuspended) return;
    if (!IsMainThread())
        throw EThread("Thread Error: a thread created outside the main thread must be created suspended");
    {
        std::lock_guard lock(State().mutex);
        pendingStart_ = true;
        State().pendingStarts.push_back(this);
    }
    WakeMainThread();
}

TThread::~TThread()
{
    bool running;
    {
        std::lock_guard lock(State().mutex);
        CancelPendingStartLocked();
        running = started_ && !finished_;
    }
    if (running && currentThread != this) {
        Terminate();
        WaitUntilFinished();
    }
    if (thread_.joinable()) {
        // A thread that frees itself cannot join itself.
        if (currentThread == this)
            thread_.detach();
        else
            thread_.join();
    }
}

void TThread::Terminate()
{
    {
        // Under the pause's lock, so a pause about to wait cannot miss it.
        std::lock_guard lock(pauseMutex_);
        terminated_ = true;
    }
    pauseWake_.notify_all();
}

bool TThread::PauseUnlessTerminated(int milliseconds)
{
    std::unique_lock lock(pauseMutex_);
    return pauseWake_.wait_for(lock, std::chrono::milliseconds(std::max(milliseconds, 0)),
                               [this] { return terminated_.load(); });
}

void TThread::Resume()
{
    std::lock_guard lock(State().mutex);
    StartLocked();
}

bool TThread::Suspended() const
{
    std::lock_guard lock(State().mutex);
    return !started_ && !pendingStart_;
}

int TThread::WaitFor()
{
    if (currentThread == this)
        throw EThread(String("Thread Error: ") + std::strerror(EDEADLK) + " (" + std::to_string(EDEADLK) + ")");
    {
        std::lock_guard lock(State().mutex);
        if (!started_ && !pendingStart_) throw EThread("Thread Error: Cannot wait for a thread that was not started");
    }
    WaitUntilFinished();
    return ReturnValue;
}

void TThread::SetPriority(TThreadPriority priority)
{
    std::lock_guard gate(startMutex_);
    priority_ = priority;
    ApplyPriority();
}

void TThread::Synchronize(const std::function<void()>& method)
{
    Synchronize(this, method);
}

void TThread::Synchronize(TThread*, const std::function<void()>& method)
{
    if (IsMainThread()) {
        method();
        return;
    }
    SyncRequest request;
    request.method = &method;
    HandOver(request);
    AwaitAnswer(request);
    if (request.error) std::rethrow_exception(request.error);
}

void TThread::SynchronizeAndPause(const std::function<void()>& method, const std::function<void(int)>& pause,
                                  int milliseconds)
{
    if (Terminated()) return;
    const std::function<void()> step = [this, &method] {
        if (!Terminated()) method();
    };
    if (IsMainThread()) {
        step();
        pause(milliseconds);
        return;
    }
    SyncRequest request;
    request.method = &step;
    HandOver(request);
    try {
        pause(milliseconds);
    } catch (...) {
        AwaitAnswer(request);  // it lives on this stack
        throw;
    }
    if (AwaitAnswer(request)) pause(milliseconds);
    if (request.error) std::rethrow_exception(request.error);
}

void TThread::StartLocked()
{
    CancelPendingStartLocked();
    if (started_) return;
    std::lock_guard gate(startMutex_);
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        throw EThread(String("Thread creation error: ") + e.what());
    }
    started_ = true;
}

void TThread::CancelPendingStartLocked()
{
    if (!pendingStart_) return;
    pendingStart_ = false;
    auto& pending = State().pendingStarts;
    pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
}

void TThread::WaitUntilFinished()
{
    SyncState& s = State();
    std::unique_lock lock(s.mutex);
    while (!finished_) {
        // The thread may be waiting for the main thread: serve it, or the
        // two would wait for each other.
        if (IsMainThread() && (!s.queue.empty() || !s.pendingStarts.empty())) {
            lock.unlock();
            CheckSynchronize();
            lock.lock();
            continue;
        }
        s.changed.wait(lock);
    }
}

void TThread::Run()
{
    currentThread = this;
    {
        // Waits for StartLocked to have stored thread_.
        std::lock_guard gate(startMutex_);
        nativeTid_ = static_cast<int>(::gettid());
        ApplyPriority();
    }
    if (!terminated_) {
        try {
            Execute();
        } catch (...) {
            fatal_ = std::current_exception();
        }
    }
    if (OnTerminate) {
        try {
            Synchronize([this] { OnTerminate(this); });
        } catch (...) {
            if (!fatal_) fatal_ = std::current_exception();
        }
    }
    {
        std::lock_guard gate(startMutex_);
        nativeTid_ = 0;
    }
    const bool freeSelf = FreeOnTerminate;
    SyncState& s = State();
    {
        std::lock_guard lock(s.mutex);
        finished_ = true;
    }
    // From here on the object may already be gone unless we free it ourselves.
    s.changed.notify_all();
    if (freeSelf) delete this;
}

void TThread::ApplyPriority()
{
    const int tid = nativeTid_;
    if (tid == 0) return;
    // Raising priority needs privilege; without it the value is only kept.
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceValue(priority_));
}

} // namespace velvane
