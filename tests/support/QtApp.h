#pragma once
// One QApplication per test program, made on first use, and event pumps with
// a deadline so a message that never comes fails the test instead of hanging.

#include <QApplication>
#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace velvane::test {

inline void EnsureQtApp()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "velvane-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own statics go first at exit, and a QApplication
    // torn down after them crashes.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Runs events until done() holds; false when the limit passed first.
template <typename Done>
bool ProcessEventsUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs action once on the event loop as soon as ready() holds (looked at
// every millisecond): for a step that must wait until a transfer is under
// way, however slowly a busy machine gets there.
inline void WhenReady(QObject* context, std::function<bool()> ready, std::function<void()> action)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, ready = std::move(ready), action = std::move(action)] {
        if (!ready()) return;
        poll->stop();
        poll->deleteLater();
        const std::function<void()> run = action;  // the action may free the context, and this with it
        run();
    });
    poll->start(1);
}

// For checks that something does not happen: runs events until all that was
// posted before has been delivered and every timer of this thread due within
// span has fired. It ends by order, not by the clock: however late a busy
// machine runs the loop, timers fire in the order they fell due, so a timer
// that should have stopped would fire before this one ends.
inline void ProcessEventsFor(std::chrono::milliseconds span)
{
    bool delivered = false, due = false;
    QObject sentinel;
    QMetaObject::invokeMethod(&sentinel, [&] { delivered = true; }, Qt::QueuedConnection);
    QTimer::singleShot(span, Qt::PreciseTimer, &sentinel, [&] { due = true; });
    ProcessEventsUntil([&] { return delivered && due; }, span + std::chrono::seconds(30));
}

} // namespace velvane::test
