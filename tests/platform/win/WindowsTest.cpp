#include "platform/classes/Thread.h"
#include "platform/win/Windows.h"
#include "tests/support/QtApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace velvane;
using velvane::test::ProcessEventsFor;
using velvane::test::ProcessEventsUntil;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A widget with a window whose procedure records every message and then
// takes the default path, unless told to swallow WM_CLOSE.
class RecordedWindow {
public:
    RecordedWindow()
    {
        velvane::test::EnsureQtApp();
        widget = std::make_unique<QWidget>();
        procedure = MakeProcInstance([this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            seen.push_back({m, wp, lp});
            if (m == WM_CLOSE && keepOpen) return 0;
            return DefWindowProcA(w, m, wp, lp);
        });
        handle = CreateWindowFor(widget.get(), procedure);
    }
    ~RecordedWindow()
    {
        DestroyWindow(handle);
        widget.reset();
        FreeObjectInstance(procedure);
    }
    int Count(UINT message) const
    {
        int n = 0;
        for (const auto& s : seen) n += s.message == message;
        return n;
    }
    std::vector<WPARAM> WParamsOf(UINT message) const
    {
        std::vector<WPARAM> out;
        for (const auto& s : seen)
            if (s.message == message) out.push_back(s.wParam);
        return out;
    }

    std::unique_ptr<QWidget> widget;
    WNDPROC procedure = nullptr;
    HWND handle = nullptr;
    std::vector<Seen> seen;
    bool keepOpen = false;
};

bool Contains(const std::vector<WPARAM>& values, WPARAM value)
{
    for (WPARAM v : values)
        if (v == value) return true;
    return false;
}

} // namespace

TEST(WindowsSubclass, ChainSeesMessagesFirstAndRestoringEndsIt)
{
    RecordedWindow w;
    int subTimers = 0, subCloses = 0;
    WNDPROC old = nullptr;
    WNDPROC sub = MakeProcInstance([&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_TIMER) ++subTimers;
        if (m == WM_CLOSE) ++subCloses;
        return CallWindowProcA(old, h, m, wp, lp);
    });
    old = reinterpret_cast<WNDPROC>(SetWindowLongA(w.handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
    EXPECT_EQ(old, w.procedure);

    ASSERT_EQ(SetTimer(w.handle, 5, 10), 5u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return subTimers >= 3; }));
    EXPECT_EQ(w.Count(WM_TIMER), subTimers);   // every tick went on down the chain

    // Restored: the subclass hears nothing more, the original still does.
    EXPECT_EQ(SetWindowLongA(w.handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old)), reinterpret_cast<LONG_PTR>(sub));
    const int frozen = subTimers;
    const int before = w.Count(WM_TIMER);
    ASSERT_TRUE(ProcessEventsUntil([&] { return w.Count(WM_TIMER) >= before + 2; }));
    EXPECT_EQ(subTimers, frozen);
    w.widget->show();
    w.widget->close();
    EXPECT_EQ(subCloses, 0);
    EXPECT_EQ(w.Count(WM_CLOSE), 1);
    FreeObjectInstance(sub);
}

TEST(WindowsSubclass, UserDataRoundTripsAndDeadHandlesAnswerZero)
{
    RecordedWindow w;
    ASSERT_FALSE(w.seen.empty());
    EXPECT_EQ(w.seen.front().message, WM_CREATE);
    EXPECT_EQ(WindowOf(w.widget.get()), w.handle);
    EXPECT_EQ(SetWindowLongA(w.handle, GWL_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongA(w.handle, GWL_USERDATA), 1234);
    HWND dead = w.handle;
    DestroyWindow(dead);
    EXPECT_EQ(GetWindowLongA(dead, GWL_USERDATA), 0);
    EXPECT_EQ(SetWindowLongA(dead, GWL_USERDATA, 5), 0);
    EXPECT_EQ(SendMessageA(dead, WM_USER, 0, 0), 0);
}

TEST(WindowsClose, WidgetCloseReachesProcedureAndDefaultDestroys)
{
    RecordedWindow w;
    w.widget->show();
    EXPECT_FALSE(w.widget->close());   // the close event is the procedure's to act on
    EXPECT_EQ(w.Count(WM_CLOSE), 1);
    EXPECT_EQ(w.Count(WM_DESTROY), 1);
    EXPECT_EQ(w.Count(WM_NCDESTROY), 1);
    EXPECT_FALSE(IsWindow(w.handle));
    EXPECT_FALSE(w.widget->isVisible());
    EXPECT_EQ(WindowOf(w.widget.get()), nullptr);
    // Nothing reaches the procedure after the window is gone.
    const size_t count = w.seen.size();
    w.widget->show();
    w.widget->resize(50, 50);
    EXPECT_EQ(w.seen.size(), count);
}

TEST(WindowsClose, ProcedureThatSwallowsCloseKeepsWidgetOpen)
{
    RecordedWindow w;
    w.keepOpen = true;
    w.widget->show();
    EXPECT_FALSE(w.widget->close());
    EXPECT_EQ(w.Count(WM_CLOSE), 1);
    EXPECT_TRUE(w.widget->isVisible());
    EXPECT_TRUE(IsWindow(w.handle));
}

TEST(WindowsClose, SystemCloseCommandGoesThroughWmClose)
{
    RecordedWindow w;
    w.keepOpen = true;
    w.widget->show();
    SendMessageA(w.handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(w.Count(WM_CLOSE), 1);
    EXPECT_TRUE(IsWindow(w.handle));
    w.keepOpen = false;
    SendMessageA(w.handle, WM_SYSCOMMAND, SC_CLOSE | 0x3, 0);
    EXPECT_FALSE(IsWindow(w.handle));
}

TEST(WindowsClose, DeletedWidgetDestroysWindow)
{
    RecordedWindow w;
    w.widget->show();
    w.widget.reset();
    EXPECT_FALSE(IsWindow(w.handle));
    EXPECT_EQ(w.Count(WM_DESTROY), 1);
    ProcessEventsFor(20ms);   // the bridge goes away without touching the widget
}

TEST(WindowsPost, FourThreadsKeepTheirOwnOrder)
{
    velvane::test::EnsureQtApp();
    Watchdog watchdog(60s, "posting from four threads");
    constexpr int kThreads = 4, kEach = 1000;
    std::vector<std::vector<LPARAM>> got(kThreads);
    int total = 0;
    HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_USER + 7) return;
        EXPECT_TRUE(IsMainThread());
        got.at(m.WParam).push_back(m.LParam);
        ++total;
    });
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                if (!PostMessageA(window, WM_USER + 7, static_cast<WPARAM>(t), i)) ++refused;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(refused, 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return total == kThreads * kEach; })) << total;
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(got[t].size(), static_cast<size_t>(kEach));
        for (int i = 0; i < kEach; ++i) ASSERT_EQ(got[t][i], i) << "thread " << t;
    }
    DeallocateHWnd(window);
}

TEST(WindowsPost, MessagesToADestroyedWindowAreDropped)
{
    velvane::test::EnsureQtApp();
    int delivered = 0;
    HWND window = AllocateHWnd([&](TMessage& m) { delivered += m.Msg == WM_USER; });
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(PostMessageA(window, WM_USER, 0, 0));
    DeallocateHWnd(window);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_FALSE(IsWindow(window));
    ProcessEventsFor(50ms);
    EXPECT_EQ(delivered, 0);

    // A new window never takes the old handle.
    HWND next = AllocateHWnd([](TMessage&) {});
    EXPECT_NE(next, window);
    EXPECT_FALSE(IsWindow(window));
    DeallocateHWnd(next);
}

TEST(WindowsPost, WindowDestroyingItselfFromAPostedMessageDropsTheRest)
{
    velvane::test::EnsureQtApp();
    int delivered = 0;
    HWND window = nullptr;
    window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_USER) return;
        ++delivered;
        DeallocateHWnd(window);
    });
    for (int i = 0; i < 3; ++i) PostMessageA(window, WM_USER, 0, 0);
    ProcessEventsFor(50ms);
    EXPECT_EQ(delivered, 1);
}

namespace {

class SendingThread : public TThread {
public:
    SendingThread(HWND window, int count) : TThread(true), window_(window), count_(count) {}
    std::vector<LRESULT> results;

protected:
    void Execute() override
    {
        for (int i = 0; i < count_; ++i) results.push_back(SendMessageA(window_, WM_USER + 1, static_cast<WPARAM>(i), 0));
    }

private:
    HWND window_;
    int count_;
};

} // namespace

TEST(WindowsSend, WorkerSendRunsOnMainThreadWhileMainWaitsForIt)
{
    velvane::test::EnsureQtApp();
    Watchdog watchdog(30s, "SendMessage during WaitFor");
    bool allOnMain = true;
    HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_USER + 1) return;
        allOnMain = allOnMain && IsMainThread();
        m.Result = static_cast<LRESULT>(m.WParam * 2 + 1);
    });
    SendingThread thread(window, 20);
    thread.Resume();
    thread.WaitFor();
    ASSERT_EQ(thread.results.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(thread.results[i], i * 2 + 1);
    EXPECT_TRUE(allOnMain);
    ProcessEventsFor(20ms);   // leftover wake-ups find nothing to do
    DeallocateHWnd(window);
}

TEST(WindowsSend, WorkerSendIsServedFromTheEventLoop)
{
    velvane::test::EnsureQtApp();
    Watchdog watchdog(30s, "SendMessage served by the event loop");
    HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_USER + 1) m.Result = static_cast<LRESULT>(m.WParam + 100);
    });
    SendingThread thread(window, 50);
    thread.Resume();
    ASSERT_TRUE(ProcessEventsUntil([&] { return thread.Finished(); }));
    thread.WaitFor();
    ASSERT_EQ(thread.results.size(), 50u);
    EXPECT_EQ(thread.results.back(), 149);
    DeallocateHWnd(window);
}

TEST(WindowsTimer, FiresWithItsIdAndStops)
{
    velvane::test::EnsureQtApp();
    std::vector<WPARAM> ticks;
    HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TIMER) ticks.push_back(m.WParam);
    });
    EXPECT_EQ(SetTimer(window, 42, 10), 42u);
    EXPECT_EQ(SetTimer(window, 42, 10), 42u);   // the same timer again, not a second one
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks.size() >= 3; }));
    for (WPARAM id : ticks) EXPECT_EQ(id, 42u);
    EXPECT_TRUE(KillTimer(window, 42));
    EXPECT_FALSE(KillTimer(window, 42));
    const size_t stopped = ticks.size();
    ProcessEventsFor(80ms);
    EXPECT_EQ(ticks.size(), stopped);

    // DestroyWindow takes the window's timers with it.
    SetTimer(window, 1, 10);
    DeallocateHWnd(window);
    const size_t destroyed = ticks.size();
    ProcessEventsFor(80ms);
    EXPECT_EQ(ticks.size(), destroyed);
    EXPECT_EQ(SetTimer(window, 1, 10), 0u);
}

TEST(WindowsTimer, KillingItselfFromItsOwnTick)
{
    velvane::test::EnsureQtApp();
    int ticks = 0;
    HWND window = nullptr;
    window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_TIMER) return;
        ++ticks;
        KillTimer(window, m.WParam);
    });
    SetTimer(window, 3, 10);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks == 1; }));
    ProcessEventsFor(60ms);
    EXPECT_EQ(ticks, 1);
    DeallocateHWnd(window);
}

TEST(WindowsState, SizeMessagesFollowMaximizeMinimizeRestore)
{
    RecordedWindow w;
    w.widget->resize(200, 100);
    w.widget->show();
    w.widget->showMaximized();
    EXPECT_TRUE(Contains(w.WParamsOf(WM_SIZE), SIZE_MAXIMIZED));
    w.seen.clear();
    w.widget->showMinimized();
    EXPECT_TRUE(Contains(w.WParamsOf(WM_SIZE), SIZE_MINIMIZED));
    w.seen.clear();
    SendMessageA(w.handle, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Contains(w.WParamsOf(WM_SIZE), SIZE_RESTORED));
    EXPECT_FALSE(w.widget->isMinimized());
    w.seen.clear();
    EXPECT_EQ(ShowWindow(w.handle, SW_HIDE), TRUE);
    EXPECT_EQ(w.WParamsOf(WM_SHOWWINDOW), std::vector<WPARAM>{0});
    EXPECT_FALSE(IsWindowVisible(w.handle));
    EXPECT_EQ(ShowWindow(w.handle, SW_SHOW), FALSE);
    EXPECT_TRUE(IsWindowVisible(w.handle));
}

TEST(WindowsInput, KeysAndMouseArriveAsMessages)
{
    RecordedWindow w;
    w.widget->show();
    QKeyEvent key(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(w.widget.get(), &key);
    EXPECT_EQ(w.WParamsOf(WM_KEYUP), std::vector<WPARAM>{46});

    const QPointF at(12, 34);
    QMouseEvent press(QEvent::MouseButtonPress, at, w.widget->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w.widget.get(), &press);
    ASSERT_EQ(w.Count(WM_RBUTTONDOWN), 1);
    for (const auto& s : w.seen)
        if (s.message == WM_RBUTTONDOWN) {
            EXPECT_EQ(LOWORD(s.lParam), 12);
            EXPECT_EQ(HIWORD(s.lParam), 34);
        }
}
