#include "platform/win/MMSystem.h"

#include "platform/rtl/TickClock.h"
#include "platform/win/WinError.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velvane {

namespace {

constexpr UINT PeriodMin = 1;
constexpr UINT PeriodMax = 1000000;

struct Event {
    UINT id = 0;
    std::chrono::milliseconds period{0};
    bool periodic = false;
    LPTIMECALLBACK callback = nullptr;
    DWORD_PTR user = 0;
    // The first deadline, counted from the call that set the event up.
    TTickClock::time_point firstDeadline;

    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;
};

class Events {
public:
    // Every event still running at exit is stopped before anything its
    // callback may use is torn down.
    ~Events()
    {
        std::vector<std::shared_ptr<Event>> all;
        {
            std::lock_guard lock(mutex_);
            for (auto& [id, event] : running_) all.push_back(event);
            running_.clear();
            all.insert(all.end(), finished_.begin(), finished_.end());
            finished_.clear();
        }
        for (auto& event : all) Stop(*event);
    }

    UINT Start(UINT delay, bool periodic, LPTIMECALLBACK callback, DWORD_PTR user)
    {
        ReapFinished();
        auto event = std::make_shared<Event>();
        event->period = std::chrono::milliseconds(delay);
        event->periodic = periodic;
        event->callback = callback;
        event->user = user;
        event->firstDeadline = TickClock().Now() + event->period;
        std::lock_guard lock(mutex_);
        event->id = nextId_++;
        try {
            event->thread = std::thread([this, event] { Run(event); });
        } catch (const std::system_error&) {
            return 0;
        }
        running_.emplace(event->id, event);
        return event->id;
    }

    bool Kill(UINT id)
    {
        std::shared_ptr<Event> event;
        {
            std::lock_guard lock(mutex_);
            auto it = running_.find(id);
            if (it == running_.end()) return false;
            event = it->second;
            running_.erase(it);
        }
        Stop(*event);
        ReapFinished();
        return true;
    }

private:
    static void Stop(Event& event)
    {
        {
            std::lock_guard lock(event.mutex);
            event.stop = true;
        }
        event.wake.notify_all();
        if (!event.thread.joinable()) return;
        // From the event's own callback: it ends once the callback returns.
        if (event.thread.get_id() == std::this_thread::get_id())
            event.thread.detach();
        else
            event.thread.join();
    }

    void Run(const std::shared_ptr<Event>& event)
    {
        const TTickClock& clock = TickClock();
        TTickClock::time_point deadline = event->firstDeadline;
        std::unique_lock lock(event->mutex);
        for (;;) {
            if (clock.WaitUntil(lock, event->wake, deadline, [&] { return event->stop; })) return;
            lock.unlock();
            event->callback(event->id, 0, event->user, 0, 0);
            lock.lock();
            if (event->stop) return;
            if (!event->periodic) break;
            deadline += event->period;
            const TTickClock::time_point now = clock.Now();
            if (deadline <= now) deadline += event->period * ((now - deadline) / event->period + 1);
        }
        lock.unlock();
        // A one-shot event is over: its id stops being valid, and the thread
        // is joined later by whoever comes next.
        std::lock_guard tableLock(mutex_);
        auto it = running_.find(event->id);
        if (it != running_.end() && it->second == event) {
            running_.erase(it);
            finished_.push_back(event);
        }
    }

    void ReapFinished()
    {
        std::vector<std::shared_ptr<Event>> done;
        {
            std::lock_guard lock(mutex_);
            done.swap(finished_);
        }
        for (auto& event : done)
            if (event->thread.joinable() && event->thread.get_id() != std::this_thread::get_id())
                event->thread.join();
            else if (event->thread.joinable())
                event->thread.detach();
    }

    std::mutex mutex_;
    std::map<UINT, std::shared_ptr<Event>> running_;
    std::vector<std::shared_ptr<Event>> finished_;
    UINT nextId_ = 1;
};

Events& AllEvents()
{
    static Events events;
    return events;
}

} // namespace

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS)) return MMSYSERR_INVALPARAM;
    caps->wPeriodMin = PeriodMin;
    caps->wPeriodMax = PeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period)
{
    return period >= PeriodMin && period <= PeriodMax ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period)
{
    return timeBeginPeriod(period);
}

UINT timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags)
{
    if (delay < PeriodMin || delay > PeriodMax || !callback || (flags & ~TIME_PERIODIC) != 0) return 0;
    return AllEvents().Start(delay, (flags & TIME_PERIODIC) != 0, callback, user);
}

MMRESULT timeKillEvent(UINT id)
{
    return AllEvents().Kill(id) ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

BOOL sndPlaySoundA(LPCSTR sound, UINT)
{
    if (!sound) return TRUE;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

} // namespace velvane
