#include "components/foundation/VELTimer.h"

#include "components/foundation/velclass.h"
#include "platform/classes/Filer.h"

#include <algorithm>
#include <chrono>

namespace velvane {

// ---------------------------------------------------------- TVELThreadedTimer

TVELThreadedTimer::TVELThreadedTimer(TVELHiTimer* owner) : TThread(true), owner_(owner) {}

TVELThreadedTimer::~TVELThreadedTimer()
{
    Stop();
    // Execute uses this object's own members: it must be over before they go.
    if (!Suspended() && !Finished()) {
        try {
            WaitFor();
        } catch (const Exception&) {
            // Freeing itself at its end: Execute is already over.
        }
    }
}

void TVELThreadedTimer::Stop()
{
    {
        std::lock_guard lock(mutex_);
        Terminate();
    }
    wake_.notify_all();
}

bool TVELThreadedTimer::StopTest() const
{
    return Terminated() || owner_.load() == nullptr;
}

void TVELThreadedTimer::Execute()
{
    const TTickClock& clock = TickClock();
    const std::chrono::milliseconds period(Interval > 0 ? Interval : 1);
    // Absolute deadlines: the time a tick takes does not add up over a run.
    TTickClock::time_point deadline = since_ + period;
    while (!StopTest()) {
        {
            std::unique_lock lock(mutex_);
            if (clock.WaitUntil(lock, wake_, deadline, [this] { return Terminated(); })) break;
        }
        if (StopTest()) break;
        Tick();
        deadline += period;
        const TTickClock::time_point now = clock.Now();
        if (deadline <= now) deadline += period * ((now - deadline) / period + 1);
    }
}

void TVELThreadedTimer::Tick()
{
    TVELHiTimer* owner = owner_.load();
    if (!owner || !owner->enabled_) return;
    if (owner->synchronize_) {
        Synchronize([this] {
            // Runs on the main thread, where the owner is freed: look again.
            TVELHiTimer* current = owner_.load();
            if (Terminated() || !current) return;
            current->tickingThread_ = this;
            try {
                current->DoTimer();
            } catch (...) {
                if (TVELHiTimer* still = owner_.load()) still->tickingThread_ = nullptr;
                VELHandleException(owner_.load());
                return;
            }
            if (TVELHiTimer* still = owner_.load()) still->tickingThread_ = nullptr;
        });
        return;
    }
    try {
        owner->DoTimer();
    } catch (...) {
        // Shown on the main thread, where error boxes belong.
        const std::exception_ptr error = std::current_exception();
        Synchronize([&] {
            try {
                std::rethrow_exception(error);
            } catch (...) {
                VELHandleException(owner_.load());
            }
        });
    }
}

// ---------------------------------------------------------------- TVELHiTimer

TVELHiTimer::TVELHiTimer(TComponent* owner) : TVELCustomComponent(owner)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
        periodMin_ = caps.wPeriodMin;
        periodMax_ = caps.wPeriodMax;
    }
    timeBeginPeriod(periodMin_);
}

TVELHiTimer::~TVELHiTimer()
{
    destroying_ = true;
    {
        std::lock_guard lock(handlerMutex_);
        onTimer_ = nullptr;
    }
    StopTimers();
    timeEndPeriod(periodMin_);
    enabled_ = false;
    if (window_) DeallocateHWnd(window_);
    window_ = nullptr;
    ReapThreads(true);
}

void TVELHiTimer::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TVELHiTimer::SetInterval(std::uint32_t value)
{
    if (value == interval_) return;
    interval_ = std::clamp<std::uint32_t>(value, periodMin_, periodMax_);
    UpdateTimer();
}

void TVELHiTimer::SetOnTimer(TVELNotifyEvent handler)
{
    {
        std::lock_guard lock(handlerMutex_);
        onTimer_ = std::move(handler);
    }
    UpdateTimer();
}

void TVELHiTimer::SetUseThread(bool value)
{
    if (value == useThread_) return;
    useThread_ = value;
    UpdateTimer();
}

void TVELHiTimer::SetThreadPriority(TThreadPriority value)
{
    if (value == priority_) return;
    priority_ = value;
    if (useThread_) UpdateTimer();
}

void TVELHiTimer::DoTimer()
{
    TVELNotifyEvent handler;
    {
        std::lock_guard lock(handlerMutex_);
        handler = onTimer_;
    }
    if (handler) handler(this);
}

void TVELHiTimer::StopTimers()
{
    if (thread_) {
        // Not waited for here: it may be the thread whose tick runs now.
        thread_->Stop();
        retired_.push_back(std::move(thread_));
    }
    if (const UINT id = timerId_.exchange(0)) timeKillEvent(id);
}

void TVELHiTimer::ReapThreads(bool all)
{
    for (auto it = retired_.begin(); it != retired_.end();) {
        TVELThreadedTimer* thread = it->get();
        if (!all && !thread->Finished()) {
            ++it;
            continue;
        }
        thread->owner_ = nullptr;
        if (thread == tickingThread_) {
            // Freed from inside its own tick: it waits for this very call to
            // return, so it ends (and frees itself) afterwards.
            thread->FreeOnTerminate = true;
            it->release();
            tickingThread_ = nullptr;
        }
        it = retired_.erase(it);
    }
}

void TVELHiTimer::UpdateTimer()
{
    if (Designing()) return;
    StopTimers();
    ReapThreads(false);
    if (destroying_) return;
    bool hasHandler;
    {
        std::lock_guard lock(handlerMutex_);
        hasHandler = static_cast<bool>(onTimer_);
    }
    if (useThread_) {
        if (window_) DeallocateHWnd(window_);
        window_ = nullptr;
        if (enabled_ && hasHandler) {
            auto thread = std::make_unique<TVELThreadedTimer>(this);
            thread->Interval = interval_;
            thread->SetPriority(priority_);
            thread->Resume();
            thread_ = std::move(thread);
        }
        return;
    }
    if (!window_) window_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
    if (interval_ != 0 && enabled_ && hasHandler) {
        guard_ = false;
        const UINT id = timeSetEvent(interval_, interval_, &TimerCallback, reinterpret_cast<DWORD_PTR>(window_),
                                     TIME_PERIODIC);
        if (id == 0) throw EOutOfResources("Not enough timers available");
        timerId_ = id;
    }
}

void TVELHiTimer::TimerCallback(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    PostMessageA(reinterpret_cast<HWND>(user), WM_TIMER, timerId, 0);
}

void TVELHiTimer::WndProc(TMessage& message)
{
    const UINT id = timerId_;
    if (message.Msg != WM_TIMER || id == 0 || message.WParam != id) {
        message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
        return;
    }
    if (guard_) return;
    guard_ = true;
    const std::weak_ptr<int> alive = alive_;
    try {
        DoTimer();
    } catch (...) {
        // The guard stays set: later ticks are dropped until the timer is rebuilt.
        VELHandleException(alive.expired() ? nullptr : this);
        return;
    }
    if (!alive.expired()) guard_ = false;
}

void TVELHiTimer::DeclareProperties(TPropertyList& list)
{
    TVELCustomComponent::DeclareProperties(list);
    list.Boolean("Enabled", [this] { return enabled_.load(); }, [this](bool v) { SetEnabled(v); }).Default(0);
    list.Integer("Interval", [this] { return std::int64_t{interval_}; },
                 [this](std::int64_t v) { SetInterval(static_cast<std::uint32_t>(v)); })
        .Default(1000)
        .Range(0, UINT32_MAX);
    list.Boolean("Synchronize", [this] { return synchronize_.load(); }, [this](bool v) { SetSynchronize(v); })
        .Default(1);
    list.Boolean("UseThread", [this] { return useThread_; }, [this](bool v) { SetUseThread(v); }).Default(1);
    list.Enum("ThreadPriority", {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"},
              [this] { return static_cast<int>(priority_); },
              [this](int v) { SetThreadPriority(static_cast<TThreadPriority>(v)); })
        .Default(3);
}

} // namespace velvane
