#include "platform/classes/Thread.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/ThreadsOfThisProcess.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

// Runs a function as its Execute. Stops itself in its own destructor, since
// the body is a member that dies before TThread's destructor runs.
class FnThread : public TThread {
public:
    explicit FnThread(std::function<void(FnThread&)> body, bool createSuspended = true)
        : TThread(createSuspended), body_(std::move(body))
    {
    }
    ~FnThread() override
    {
        Terminate();
        if (!Suspended() && !Finished()) WaitFor();
        if (OnDestroy) OnDestroy();
    }
    using TThread::ReturnValue;
    std::function<void()> OnDestroy;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(FnThread&)> body_;
};

// Serves Synchronize calls until done() holds.
template <typename Done>
void ServeUntil(Done done)
{
    while (!done()) {
        CheckSynchronize();
        std::this_thread::sleep_for(1ms);
    }
}

int NiceOfCallingThread()
{
    return getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

} // namespace

TEST(ThreadSynchronize, RunsOnTheMainThreadAndWakesIt)
{
    Watchdog dog(20s);
    ASSERT_TRUE(IsMainThread());
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });

    std::thread::id ranOn;
    std::atomic<bool> workerIsMain{true}, workerServed{true};
    FnThread t([&](FnThread& self) {
        workerIsMain = IsMainThread();
        self.Synchronize([&] {
            ranOn = std::this_thread::get_id();
            // A worker calling CheckSynchronize must not run queued calls.
        });
        self.ReturnValue = 5;
    });
    t.Resume();
    ServeUntil([&] { return t.Finished(); });
    EXPECT_EQ(t.WaitFor(), 5);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(workerIsMain);
    EXPECT_GE(wakes.load(), 1);

    // Direct on the main thread; nothing is queued.
    int direct = 0;
    TThread::Synchronize(nullptr, [&] { ++direct; });
    EXPECT_EQ(direct, 1);
    EXPECT_FALSE(CheckSynchronize());
    SetWakeMainThread(nullptr);
}

TEST(ThreadSynchronize, OnlyTheMainThreadServesCalls)
{
    Watchdog dog(20s);
    std::atomic<bool> ran{false};
    // A plain std::thread may synchronize as well.
    EXPECT_FALSE(SynchronizeCallsWaiting());
    std::thread caller([&] { TThread::Synchronize(nullptr, [&] { ran = true; }); });
    while (!SynchronizeCallsWaiting()) std::this_thread::sleep_for(1ms);

    bool servedElsewhere = true;
    std::thread other([&] { servedElsewhere = CheckSynchronize(); });
    other.join();
    EXPECT_FALSE(servedElsewhere);
    EXPECT_FALSE(ran);

    ServeUntil([&] { return ran.load(); });
    caller.join();
    EXPECT_FALSE(SynchronizeCallsWaiting());
}

TEST(ThreadSynchronize, ExceptionIsRaisedAgainInTheCallingThread)
{
    Watchdog dog(20s);
    std::thread::id thrownOn;
    std::string caughtClass, caughtMessage;
    FnThread t([&](FnThread& self) {
        try {
            self.Synchronize([&] {
                thrownOn = std::this_thread::get_id();
                throw EConvertError("'x' is not a valid integer value");
            });
        } catch (const Exception& e) {
            caughtClass = e.ClassName();
            caughtMessage = e.Message();
        }
    });
    t.Resume();
    // The main thread only hands the exception over; WaitFor does not raise.
    EXPECT_NO_THROW(t.WaitFor());
    EXPECT_EQ(thrownOn, std::this_thread::get_id());
    EXPECT_EQ(caughtClass, "EConvertError");
    EXPECT_EQ(caughtMessage, "'x' is not a valid integer value");
    EXPECT_FALSE(t.FatalException());
}

TEST(ThreadWaitFor, ServesSynchronizeWhileWaitingOnTheMainThread)
{
    Watchdog dog(20s, "WaitFor with the worker inside Synchronize");
    int calls = 0;
    FnThread t([&](FnThread& self) {
        for (int i = 0; i < 50; ++i) self.Synchronize([&] { ++calls; });
        self.ReturnValue = 7;
    });
    t.Resume();
    EXPECT_EQ(t.WaitFor(), 7);
    EXPECT_EQ(calls, 50);
    EXPECT_TRUE(t.Finished());
}

TEST(ThreadWaitFor, RefusesToWaitForItselfOrAThreadNeverStarted)
{
    Watchdog dog(20s);
    std::string message;
    FnThread t([&](FnThread& self) {
        try {
            self.WaitFor();
        } catch (const EThread& e) {
            message = e.Message();
        }
    });
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(message, "Thread Error: Resource deadlock avoided (35)");

    FnThread idle([](FnThread&) {});
    EXPECT_THROW(idle.WaitFor(), EThread);

    // Another worker may wait for a worker.
    FnThread inner([](FnThread& self) { self.ReturnValue = 3; });
    std::atomic<int> seen{0};
    FnThread outer([&](FnThread&) {
        inner.Resume();
        seen = inner.WaitFor();
    });
    outer.Resume();
    outer.WaitFor();
    EXPECT_EQ(seen.load(), 3);
}

TEST(ThreadLifeCycle, SuspendedThreadStartsOnResumeAndSkipsExecuteIfTerminated)
{
    Watchdog dog(20s);
    std::atomic<bool> ran{false};
    const auto before = test::ThreadsOfThisProcess();
    FnThread t([&](FnThread&) { ran = true; });
    EXPECT_TRUE(t.Suspended());
    EXPECT_TRUE(test::NoNewThreadSince(before));  // no thread until it is resumed
    EXPECT_FALSE(ran);
    t.Start();
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_TRUE(ran);
    t.Resume();   // a second start is ignored
    EXPECT_TRUE(t.Finished());

    std::atomic<bool> ranTerminated{false};
    FnThread stopped([&](FnThread&) { ranTerminated = true; });
    stopped.Terminate();
    stopped.Resume();
    stopped.WaitFor();
    EXPECT_FALSE(ranTerminated);
}

TEST(ThreadLifeCycle, ThreadCreatedRunningStartsOnceTheMainThreadServes)
{
    Watchdog dog(20s);
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });
    std::atomic<bool> ran{false};
    {
        FnThread t([&](FnThread&) { ran = true; }, false);
        EXPECT_FALSE(t.Suspended());
        EXPECT_EQ(wakes.load(), 1);
        ServeUntil([&] { return t.Finished(); });
        EXPECT_TRUE(ran);
    }

    // Freed before it ever started: nothing runs, nothing is left queued
    // (a start left behind would make a thread, held here until the end).
    // The thread's own destructor does not wait, as FnThread's would (that
    // wait starts it), so only the base destructor stands between the
    // queued start and a thread.
    struct Unwaited : TThread {
        std::atomic<bool>& ran;
        std::atomic<bool>& release;
        Unwaited(std::atomic<bool>& r, std::atomic<bool>& rel) : TThread(false), ran(r), release(rel) {}
        void Execute() override
        {
            ran = true;
            while (!release) std::this_thread::sleep_for(1ms);
        }
    };
    ran = false;
    std::atomic<bool> release{false};
    const auto before = test::ThreadsOfThisProcess();
    delete new Unwaited(ran, release);
    CheckSynchronize();
    EXPECT_TRUE(test::NoNewThreadSince(before));
    EXPECT_FALSE(ran);
    release = true;

    // WaitFor on the main thread starts it too.
    FnThread waited([](FnThread& self) { self.ReturnValue = 9; }, false);
    EXPECT_EQ(waited.WaitFor(), 9);

    // Away from the main thread nobody could start it safely.
    bool refused = false;
    std::thread other([&] {
        try {
            FnThread t([](FnThread&) {}, false);
        } catch (const EThread&) {
            refused = true;
        }
    });
    other.join();
    EXPECT_TRUE(refused);
    SetWakeMainThread(nullptr);
}

namespace {

// Stops itself in its own destructor, as every thread whose Execute uses
// its own members must: the base destructor runs after they are gone.
class Polling : public TThread {
public:
    explicit Polling(std::atomic<int>& phase) : TThread(true), phase_(phase) {}
    ~Polling() override
    {
        Terminate();
        if (!Suspended()) WaitFor();
    }

protected:
    void Execute() override
    {
        phase_ = 1;
        while (!Terminated()) std::this_thread::sleep_for(1ms);
        phase_ = 2;
    }

private:
    std::atomic<int>& phase_;
};

class SynchronizingLoop : public TThread {
public:
    explicit SynchronizingLoop(std::atomic<int>& calls) : TThread(true), calls_(calls) {}
    ~SynchronizingLoop() override
    {
        Terminate();
        if (!Suspended()) WaitFor();
    }

protected:
    void Execute() override
    {
        while (!Terminated()) Synchronize([this] { ++calls_; });
    }

private:
    std::atomic<int>& calls_;
};

} // namespace

TEST(ThreadLifeCycle, DestructorTerminatesAndWaits)
{
    Watchdog dog(20s, "deleting running threads");
    std::atomic<int> phase{0};
    auto* polling = new Polling(phase);
    polling->Resume();
    while (phase == 0) std::this_thread::sleep_for(1ms);
    delete polling;
    EXPECT_EQ(phase.load(), 2);

    // Deleted on the main thread while it waits in Synchronize: the
    // destructor has to keep serving it.
    std::atomic<int> calls{0};
    auto* looping = new SynchronizingLoop(calls);
    looping->Resume();
    ServeUntil([&] { return calls >= 3; });
    delete looping;
    EXPECT_GE(calls.load(), 3);
}

TEST(ThreadLifeCycle, FreeOnTerminateDeletesAfterOnTerminate)
{
    Watchdog dog(20s);
    std::mutex mutex;
    std::vector<std::string> log;
    auto note = [&](std::string what) {
        std::lock_guard lock(mutex);
        log.push_back(std::move(what));
    };
    std::thread::id onTerminateOn;
    std::atomic<bool> destroyed{false};

    auto* t = new FnThread([&](FnThread&) { note("execute"); });
    t->FreeOnTerminate = true;
    t->OnTerminate = [&](TThread*) {
        onTerminateOn = std::this_thread::get_id();
        note("onterminate");
    };
    t->OnDestroy = [&] {
        note("destroyed");
        destroyed = true;
    };
    t->Resume();
    ServeUntil([&] { return destroyed.load(); });

    std::lock_guard lock(mutex);
    EXPECT_EQ(log, (std::vector<std::string>{"execute", "onterminate", "destroyed"}));
    EXPECT_EQ(onTerminateOn, std::this_thread::get_id());
}

TEST(ThreadLifeCycle, FatalExceptionKeepsWhatEscapedExecute)
{
    Watchdog dog(20s);
    FnThread t([](FnThread&) { throw EListError("List index out of bounds (4)"); });
    t.Resume();
    EXPECT_NO_THROW(t.WaitFor());
    ASSERT_TRUE(t.FatalException());
    try {
        std::rethrow_exception(t.FatalException());
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }

    FnThread odd([](FnThread&) { throw 42; });
    odd.Resume();
    odd.WaitFor();
    EXPECT_THROW(std::rethrow_exception(odd.FatalException()), int);

    // An exception from OnTerminate ends up there as well.
    FnThread late([](FnThread&) {});
    late.OnTerminate = [](TThread*) { throw EThread("late"); };
    late.Resume();
    EXPECT_NO_THROW(late.WaitFor());
    EXPECT_THROW(std::rethrow_exception(late.FatalException()), EThread);
}

TEST(ThreadPriority, IsAppliedAtStartAndWhileRunning)
{
    Watchdog dog(20s);
    std::atomic<int> phase{0};
    std::atomic<int> atStart{-100}, afterChange{-100};
    FnThread t([&](FnThread&) {
        atStart = NiceOfCallingThread();
        phase = 1;
        while (phase != 2) std::this_thread::sleep_for(1ms);
        afterChange = NiceOfCallingThread();
    });
    t.SetPriority(TThreadPriority::tpLower);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpLower);
    t.Resume();
    while (phase != 1) std::this_thread::sleep_for(1ms);
    t.SetPriority(TThreadPriority::tpIdle);
    phase = 2;
    t.WaitFor();
    EXPECT_EQ(atStart.load(), 5);
    EXPECT_EQ(afterChange.load(), 19);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpIdle);

    // Kept after the thread is gone, and not applied to anything.
    t.SetPriority(TThreadPriority::tpHighest);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpHighest);
    EXPECT_EQ(NiceOfCallingThread(), 0);
}

TEST(ThreadPause, AStepPausesWhileTheMainThreadRunsItAndOneThatOutlastsThePauseGetsAnother)
{
    Watchdog dog(20s);
    // Whether the main thread answers before the pause ends, or only after.
    const struct { bool answeredInPause, raises, terminated, ran; } cases[] = {
        {true, false, false, true},    // the worker wakes once
        {false, false, false, true},   // waited for, and paused again after it
        {true, true, false, true},     // what it raised comes back after the pause
        {false, false, true, false},   // a thread stopped meanwhile: not run
    };
    for (const auto& c : cases) {
        std::atomic<int> pauses{0}, pausesAfterAnAnswer{0};
        std::atomic<bool> released{false}, ran{false}, caught{false};
        FnThread worker([&](FnThread& self) {
            try {
                self.SynchronizeAndPause(
                    [&] {
                        ran = true;
                        if (c.raises) throw EThread("step");
                    },
                    [&](int ms) {
                        EXPECT_EQ(ms, 3000);
                        if (!SynchronizeCallsWaiting()) ++pausesAfterAnAnswer;
                        for (++pauses; !released && !self.Terminated();) std::this_thread::sleep_for(1ms);
                    },
                    3000);
            } catch (const EThread&) {
                caught = true;
            }
            EXPECT_FALSE(SynchronizeCallsWaiting()) << "returned before its call";
        });
        worker.Resume();
        while (pauses == 0) std::this_thread::sleep_for(1ms);
        EXPECT_EQ(pausesAfterAnAnswer.load(), 0);
        if (c.answeredInPause) ServeUntil([&] { return !SynchronizeCallsWaiting(); });
        if (c.terminated) worker.Terminate();
        released = true;
        ServeUntil([&] { return worker.Finished(); });
        // Which comes first otherwise, the answer or the end of the pause, is
        // the scheduler's to say; a second pause only ever follows the answer.
        if (c.answeredInPause) {
            EXPECT_EQ(pauses.load(), 1);
        }
        EXPECT_EQ(pauses.load() - 1, pausesAfterAnAnswer.load());
        EXPECT_LE(pauses.load(), 2);
        EXPECT_EQ(ran.load(), c.ran);
        EXPECT_EQ(caught.load(), c.raises);
    }
}

TEST(ThreadPause, TerminateEndsALongPauseAndLaterPausesAtOnce)
{
    Watchdog dog(20s, "a pause Terminate should have ended");
    std::atomic<int> passes{0};
    std::atomic<bool> lastPauseSawTerminate{false}, shortPauseSawTerminate{true};
    FnThread loop([&](FnThread& self) {
        shortPauseSawTerminate = self.PauseUnlessTerminated(1);
        while (!self.Terminated()) {
            ++passes;
            lastPauseSawTerminate = self.PauseUnlessTerminated(3'600'000);
        }
        // Once terminated a pause does not wait at all.
        if (!self.PauseUnlessTerminated(3'600'000)) passes = -1;
    });
    loop.Resume();
    while (passes == 0) std::this_thread::sleep_for(1ms);
    loop.Terminate();
    loop.WaitFor();
    EXPECT_EQ(passes.load(), 1);  // the hour's pause ran once and was cut short
    EXPECT_TRUE(lastPauseSawTerminate);
    EXPECT_FALSE(shortPauseSawTerminate);
}
