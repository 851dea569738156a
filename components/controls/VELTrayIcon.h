#pragma once
// TVELTrayIcon: an icon with a tip in the desktop's notification area. Mouse
// actions on it become events and a popup menu; while active it keeps the
// program off the task bar and turns the owner form's minimize and close
// commands into hiding. It can animate the icon from an image list, on the
// application object's timer pool or on a high-resolution timer.
//
// Where the desktop has no notification area the owner form is shown
// instead, and its close and minimize work as usual, so the program can
// always be reached; once an area appears the form goes back into it.

#include "components/containers/velcont.h"
#include "components/foundation/VELTimer.h"
#include "components/foundation/VELWndProcComponent.h"
#include "components/foundation/velclass.h"
#include "platform/forms/Menus.h"
#include "platform/forms/MouseEvents.h"
#include "platform/graphics/Icons.h"
#include "platform/win/ShellNotify.h"

#include <memory>

namespace velvane {

enum class TVELTimerMode { tmGlobalTimer, tmHiTimer, tmThreaded };

// The callback message of the icon.
constexpr UINT WM_TRAYICON = WM_USER + 101;

// An icon of width x height from the bitmap (resized to that first); its
// white pixels are transparent. The caller destroys the icon.
void BitmapToIcon(TBitmap& bitmap, HICON& icon, int width, int height);

class TVELTrayIcon : public TVELWndProcComponent {
public:
    explicit TVELTrayIcon(TComponent* owner);
    ~TVELTrayIcon() override;
    const char* ClassName() const override { return "TVELTrayIcon"; }

    bool Active() const { return active_; }
    void SetActive(bool value);
    const String& Hint() const { return hint_; }
    void SetHint(const String& value);
    TIcon& Icon() { return icon_; }
    void SetIcon(const TIcon& icon) { icon_.Assign(icon); }
    bool NoClose = false;
    bool ShowMinimizedIcon = false;
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    TVELCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TVELCustomImageList* list);
    int ListIndex = 0;
    TVELTimerMode TimerMode() const { return timerMode_; }
    void SetTimerMode(TVELTimerMode mode);
    TThreadPriority ThreadPriority = TThreadPriority::tpNormal;
    TVELTimerInterval Interval = 200;
    bool Animated() const { return animated_; }
    void SetAnimated(bool value);

    TVELNotifyEvent OnClick, OnDblClick, OnPopUp;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Sends the icon's record to the area: NIM_ADD, NIM_MODIFY or NIM_DELETE.
    void NotifyIcon(DWORD message);
    // NIM_MODIFY when active.
    void UpdateIcon();
    // One animation frame.
    void AnimateIcon();
    // The icon is in a notification area now (active, and an area exists).
    bool Docked() const;
    // The hidden window that receives the icon's mouse actions.
    HWND WindowHandle() const { return window_; }
    // The pool slot of the animation, 0 for none.
    std::uint16_t TimerIdent() const { return timerIdent_; }

    void WndProc(TMessage& message) override;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    NOTIFYICONDATAA Record(HICON icon) const;
    void IconWndProc(TMessage& message);
    void MouseAction(UINT code);
    void ShowOwner(bool show);
    void BuildTimer();
    void StartTimer(bool value);
    void ReleaseTimer();

    bool active_ = true;
    String hint_;
    TIcon icon_;
    TPopupMenu* popupMenu_ = nullptr;
    TVELCustomImageList* imageList_ = nullptr;
    TVELTimerMode timerMode_ = TVELTimerMode::tmGlobalTimer;
    bool animated_ = false;
    HWND window_ = nullptr;
    TPoint cursor_;
    std::unique_ptr<TVELChangeLink> link_;
    int frame_ = 0;
    std::uint16_t timerIdent_ = 0;
    TVELHiTimer* hiTimer_ = nullptr;  // owned as a component
};

} // namespace velvane
