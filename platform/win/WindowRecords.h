#pragma once
// The records behind window handles, shared by the message calls
// (Windows.cpp) and the bridge that turns a widget's Qt events into messages
// (WindowBridge.cpp). Not part of the programs' interface.

#include "platform/graphics/Rect.h"
#include "platform/win/Windows.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

namespace velvane::win {

class WindowBridge;

struct WindowRecord {
    HWND handle = nullptr;
    // Read by any thread (GetWindowLongA), swapped by subclassers.
    std::atomic<WNDPROC> procedure{nullptr};
    std::atomic<LONG_PTR> userData{0};
    // The rest belongs to the main thread.
    QPointer<QWidget> widget;
    WindowBridge* bridge = nullptr;
    WNDPROC ownedProcedure = nullptr;  // AllocateHWnd's, freed with the window
    bool destroying = false;
    // The visible switch of a window without a widget.
    bool shown = false;
};

std::shared_ptr<WindowRecord> FindRecord(HWND window);

// Runs a procedure; the call keeps its own copy of the callable, so a
// procedure freed by the message it handles (a form deleting itself) does
// not pull the code out from under the running call.
LRESULT Invoke(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hands a message to the window's current procedure (main thread); 0 for a
// window that is gone.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes a top-level widget off the task bar, or puts it back, as OnTaskBar
// says; TaskBarChanged does so for every window's widget.
void ApplyTaskBarState(QWidget* widget);
void TaskBarChanged();

// While one lives (main thread), GetCursorPos answers its point: the
// position of the mouse action whose message is being handled.
class MessagePosition {
public:
    explicit MessagePosition(TPoint at);
    ~MessagePosition();
    MessagePosition(const MessagePosition&) = delete;
    MessagePosition& operator=(const MessagePosition&) = delete;

private:
    bool had_;
    TPoint previous_;
};

} // namespace velvane::win
