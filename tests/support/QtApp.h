#pragma once
// One QApplication per test program, made on first use, and event pumps with
// a deadline so a message that never comes fails the test instead of hanging.

#include <QApplication>
#include <QCoreApplication>

#include <chrono>
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
bool ProcessEventsUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs events for a while, for checks that something does not happen.
inline void ProcessEventsFor(std::chrono::milliseconds span)
{
    ProcessEventsUntil([] { return false; }, span);
}

} // namespace velvane::test
