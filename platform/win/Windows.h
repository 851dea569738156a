#pragma once
// Window handles and messages.
//
// A window handle names a window record of ours: a replaceable window
// procedure, optional user data, timers, and (for a form) the QWidget it
// stands for. Messages reach the current procedure; a component subclasses a
// window by installing its own procedure and calling the one it replaced.

#include "platform/graphics/Rect.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>

class QWidget;

namespace velvane {

struct HWND__;
using HWND = HWND__*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;

// A window procedure. Plain functions and bound methods alike are wrapped in
// a procedure object; a WNDPROC points to one and stays valid until freed.
struct WindowProcedure {
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Call;
};
using WNDPROC = WindowProcedure*;

// The message as a component's method receives it.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};
using TWndMethod = std::function<void(TMessage&)>;

// Messages the programs send, numbered as the system numbers them.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_USER = 0x0400;

// WM_SYSCOMMAND codes.
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Two 16-bit halves in one parameter (mouse positions, sizes).
constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(static_cast<std::int32_t>((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16 |
                                                         (static_cast<std::uint32_t>(low) & 0xFFFFu)));
}
constexpr int LOWORD(LPARAM value) { return static_cast<int>(static_cast<std::uint32_t>(value) & 0xFFFFu); }
constexpr int HIWORD(LPARAM value) { return static_cast<int>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFFu); }

constexpr int GWL_WNDPROC = -4;
constexpr int GWL_USERDATA = -21;

WNDPROC MakeProcInstance(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> procedure);
// A procedure that hands every message to a method, as a TMessage whose
// Result becomes the message result.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC procedure);
// The procedure behind DefWindowProcA, for windows that start with it.
WNDPROC DefWindowProcInstance();

// A window record for a widget (or none) with the given procedure; the
// window gets WM_CREATE. Widget events reach the procedure as messages
// (close, show, hide, move, size, minimize, maximize, restore, paint, key
// and mouse), see WindowBridge.cpp.
HWND CreateWindowFor(QWidget* widget, WNDPROC procedure);
// A window that only receives messages (posted messages and timers).
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);
// Sends WM_DESTROY and WM_NCDESTROY, stops the window's timers and drops
// the record; the widget itself is not deleted.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
QWidget* WidgetOf(HWND window);
HWND WindowOf(const QWidget* widget);

LONG_PTR GetWindowLongA(HWND window, int index);
// Returns the previous value; GWL_WNDPROC takes a WNDPROC cast to LONG_PTR.
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The default handling: WM_CLOSE destroys the window (hiding its widget),
// WM_SYSCOMMAND minimizes, maximizes, restores or closes the widget, the rest
// returns 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// On the main thread the procedure runs at once; from another thread the
// call waits until the main thread has run it.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message for the main thread; safe from any thread. FALSE when
// the window does not exist.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_TIMER with the id every elapse milliseconds (main thread).
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, void* timerProc = nullptr);
BOOL KillTimer(HWND window, UINT_PTR id);

// A window without a widget keeps a visible switch of its own. Hiding the
// task-bar window (SetTaskBarWindow) takes the program's windows off the
// desktop's task bar; showing it puts them back.
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
// The window whose visibility stands for the program's task-bar buttons
// (the application's own window), shown from now on; null for none.
void SetTaskBarWindow(HWND window);
HWND TaskBarWindow();
// Whether the program's windows are on the task bar now.
bool OnTaskBar();

// The mouse position on the screen (see win::MessagePosition).
BOOL GetCursorPos(TPoint* point);
// Raises and activates a window's widget; TRUE for a window without one.
BOOL SetForegroundWindow(HWND window);

} // namespace velvane
