// The program's place on the desktop's task bar. A window here is on the
// task bar while it is shown; the application window's visible switch stands
// for the whole program, as the task-bar button of old belonged to it.
// Taking windows off is the desktop's own (TaskBar.h).

#include "platform/desktop/TaskBar.h"
#include "platform/win/WindowRecords.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <atomic>

namespace velvane {

namespace {

std::atomic<HWND> taskBarWindow{nullptr};
bool hasCursorOverride = false;
TPoint cursorOverride;

} // namespace

namespace win {

MessagePosition::MessagePosition(TPoint at) : had_(hasCursorOverride), previous_(cursorOverride)
{
    hasCursorOverride = true;
    cursorOverride = at;
}

MessagePosition::~MessagePosition()
{
    hasCursorOverride = had_;
    cursorOverride = previous_;
}

void ApplyTaskBarState(QWidget* widget)
{
    if (!widget || !taskBarWindow.load()) return;
    // A window manager may drop the state while a window is hidden, so it
    // is told again at every show while off; on the bar, only once back.
    const bool skip = !OnTaskBar();
    const char* const told = "velvaneOffTaskBar";
    if ((skip || widget->property(told).toBool()) && SetSkipTaskBar(widget, skip)) widget->setProperty(told, skip);
}

void TaskBarChanged()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (WindowOf(widget)) ApplyTaskBarState(widget);
}

} // namespace win

void SetTaskBarWindow(HWND window)
{
    // The program starts on the task bar.
    if (auto record = win::FindRecord(window)) record->shown = true;
    taskBarWindow = window;
}

HWND TaskBarWindow() { return taskBarWindow.load(); }

bool OnTaskBar()
{
    const HWND window = taskBarWindow.load();
    auto record = window ? win::FindRecord(window) : nullptr;
    return !record || record->shown;
}

BOOL GetCursorPos(TPoint* point)
{
    if (!point) return FALSE;
    if (hasCursorOverride) {
        *point = cursorOverride;
    } else {
        const QPoint at = QCursor::pos();
        *point = TPoint{at.x(), at.y()};
    }
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!IsWindow(window)) return FALSE;
    if (QWidget* widget = WidgetOf(window)) {
        widget->raise();
        widget->activateWindow();
    }
    return TRUE;
}

} // namespace velvane
