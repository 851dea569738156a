#pragma once
// The main-thread object behind a window record: it filters the widget's Qt
// events into messages, receives posted messages and owns the timers.

#include "platform/win/Windows.h"

#include <QObject>
#include <QPointer>

#include <map>

class QTimer;

namespace velvane::win {

class WindowBridge : public QObject {
public:
    WindowBridge(HWND window, QWidget* widget);
    ~WindowBridge() override;

    // Queues a message for the main thread; callers hold the record lock, so
    // the bridge cannot be deleted meanwhile.
    void Post(UINT message, WPARAM wParam, LPARAM lParam);

    void StartTimer(UINT_PTR id, UINT elapse);
    bool StopTimer(UINT_PTR id);

    // Stops every timer, lets go of the widget and deletes the bridge, later
    // when one of its own handlers is still running.
    void Detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Counts the bridge's handlers on the stack, so Detach knows whether it
    // may delete at once.
    struct Busy {
        explicit Busy(WindowBridge* b) : bridge(b) { ++bridge->busy_; }
        ~Busy() { --bridge->busy_; }
        WindowBridge* bridge;
    };

    bool Filter(QEvent* event);
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    HWND window_;
    QPointer<QWidget> widget_;
    std::map<UINT_PTR, QTimer*> timers_;
    int busy_ = 0;
    bool detached_ = false;
};

} // namespace velvane::win
