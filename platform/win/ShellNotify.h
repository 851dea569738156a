#pragma once
// Shell_NotifyIconA: icons in the desktop's notification area, over
// QSystemTrayIcon. Mouse actions on an icon reach its window as the record's
// callback message (wParam the icon's id, lParam the mouse message), in the
// order a click produces them: down, up; a second click within the double
// click time gives double click, up. While the callback runs, GetCursorPos
// answers the position of the action.
//
// Where the area comes and goes (a panel restarted, a session without one)
// every window with an icon gets WM_NOTIFYAREACHANGED, wParam 1 when an area
// is there now and 0 when it has gone; Qt docks the icons again by itself.

#include "platform/graphics/Icons.h"
#include "platform/win/Windows.h"

#include <cstddef>
#include <cstdint>

namespace velvane {

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;

constexpr UINT NIF_MESSAGE = 1;
constexpr UINT NIF_ICON = 2;
constexpr UINT NIF_TIP = 4;

constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;

constexpr UINT WM_NOTIFYAREACHANGED = 0xC0F0;

// The record as the shell of old took it: handles are four bytes, so it
// keeps its 88 bytes on a 64-bit machine.
struct NOTIFYICONDATAA {
    DWORD cbSize;
    DWORD hWnd;  // WindowHandleValue of the window that gets the callback
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[64];  // ended by NUL; 8-bit text is read as Windows-1252
};
static_assert(sizeof(NOTIFYICONDATAA) == 88);
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 4 && offsetof(NOTIFYICONDATAA, uID) == 8 &&
              offsetof(NOTIFYICONDATAA, uFlags) == 12 && offsetof(NOTIFYICONDATAA, uCallbackMessage) == 16 &&
              offsetof(NOTIFYICONDATAA, hIcon) == 20 && offsetof(NOTIFYICONDATAA, szTip) == 24);

// Window handles are small numbers, so they travel in 32 bits.
inline DWORD WindowHandleValue(HWND window) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(window)); }
inline HWND WindowFromHandleValue(DWORD value) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)); }

// Adds, changes or removes the icon (hWnd, uID). FALSE for a wrong cbSize,
// an add of an icon already there, a change or removal of one that is not.
// An icon added while no area exists waits and shows once one appears.
BOOL Shell_NotifyIconA(DWORD message, const NOTIFYICONDATAA* data);

// Whether the desktop shows a notification area now.
bool NotifyAreaAvailable();

// What the area is given for the icon (window, id): its native window as
// docked (0 while not docked), its tip and its picture; empty for an icon
// that does not exist.
std::uintptr_t NotifyIconNativeWindow(HWND window, UINT id);
QString NotifyIconTip(HWND window, UINT id);
QImage NotifyIconPicture(HWND window, UINT id);

} // namespace velvane
