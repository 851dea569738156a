#include "components/controls/VELTrayIcon.h"

#include "components/foundation/velclass.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/rtl/LegacyText.h"

#include <algorithm>
#include <cstring>

namespace velvane {

namespace {

HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }

// Cut to at most 63 bytes; UTF-8 text is not cut inside a character.
void CopyTip(const String& hint, char (&tip)[64])
{
    std::size_t length = std::min<std::size_t>(hint.size(), sizeof tip - 1);
    if (length < hint.size() && IsValidUtf8(hint))
        while (length > 0 && (static_cast<unsigned char>(hint[length]) & 0xC0) == 0x80) --length;
    std::memset(tip, 0, sizeof tip);
    std::memcpy(tip, hint.data(), length);
}

} // namespace

void BitmapToIcon(TBitmap& bitmap, HICON& icon, int width, int height)
{
    bitmap.SetSize(width, height);
    TBitmap mask;
    mask.Assign(bitmap);
    mask.SetMonochrome(true);
    ICONINFO info;
    info.fIcon = true;
    info.hbmMask = &mask;
    info.hbmColor = &bitmap;
    icon = CreateIconIndirect(info);
}

TVELTrayIcon::TVELTrayIcon(TComponent* owner) : TVELWndProcComponent(owner)
{
    icon_.OnChange = [this](TIcon*) { UpdateIcon(); };
    window_ = AllocateHWnd([this](TMessage& m) { IconWndProc(m); });
    link_ = std::make_unique<TVELChangeLink>();
    // Another list may hold fewer frames.
    link_->OnChange = [this](TPersistent*) { frame_ = 0; };
}

TVELTrayIcon::~TVELTrayIcon()
{
    // The animation's thread, if any, has ended when its timer is freed here.
    ReleaseTimer();
    if (link_->Sender()) link_->Sender()->RemoveChangeLink(link_.get());
    link_.reset();
    imageList_ = nullptr;
    SetEnabled(false);
    hint_.clear();
    NotifyIcon(NIM_DELETE);
    DeallocateHWnd(window_);
    window_ = nullptr;
}

void TVELTrayIcon::SetActive(bool value)
{
    if (value == active_) return;
    active_ = value;
    if (Designing() || Loading()) return;
    const HWND application = ApplicationWindow();
    if (value) {
        SetEnabled(true);
        if (Application) Application->ShowMainForm = false;
        ShowWindow(application, SW_HIDE);
        if (Application) Application->ProcessMessages();
        BuildTimer();
        NotifyIcon(NIM_ADD);
        StartTimer(true);
        // Nowhere to live: the owner shows once the program runs.
        if (!NotifyAreaAvailable()) PostMessageA(window_, WM_NOTIFYAREACHANGED, 0, 0);
    } else {
        UnhookSilent();
        if (Application) Application->ShowMainForm = true;
        ShowWindow(application, SW_SHOWNORMAL);
        NotifyIcon(NIM_DELETE);
        ReleaseTimer();
    }
}

void TVELTrayIcon::SetHint(const String& value)
{
    if (value == hint_ && !Loading()) return;
    hint_ = value;
    if (active_) NotifyIcon(NIM_MODIFY);
}

void TVELTrayIcon::SetPopupMenu(TPopupMenu* menu)
{
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TVELTrayIcon::SetImageList(TVELCustomImageList* list)
{
    if (link_->Sender()) link_->Sender()->RemoveChangeLink(link_.get());
    imageList_ = list;
    if (list) {
        list->AddChangeLink(link_.get());
        list->FreeNotification(this);
    }
    Change();
}

void TVELTrayIcon::SetTimerMode(TVELTimerMode mode)
{
    if (Loading()) {
        timerMode_ = mode;
        return;
    }
    ReleaseTimer();
    timerMode_ = mode;
    BuildTimer();
    // A running animation goes on under the new clock.
    if (animated_ && active_) StartTimer(true);
}

void TVELTrayIcon::SetAnimated(bool value)
{
    animated_ = value;
    if (Loading()) return;
    if (value) {
        BuildTimer();
        StartTimer(true);
    } else {
        ReleaseTimer();
        // Back to the icon itself, not the last frame shown.
        UpdateIcon();
    }
}

NOTIFYICONDATAA TVELTrayIcon::Record(HICON icon) const
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = WindowHandleValue(window_);
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    data.hIcon = icon;
    CopyTip(hint_, data.szTip);
    return data;
}

void TVELTrayIcon::NotifyIcon(DWORD message)
{
    if (Designing()) return;
    const NOTIFYICONDATAA data = Record(icon_.Handle());
    Shell_NotifyIconA(message, &data);
}

void TVELTrayIcon::UpdateIcon()
{
    if (active_ && !Designing()) NotifyIcon(NIM_MODIFY);
}

bool TVELTrayIcon::Docked() const { return active_ && NotifyAreaAvailable(); }

void TVELTrayIcon::AnimateIcon()
{
    if (!imageList_ || Designing()) return;
    // A list without frames has nothing to show.
    const int count = imageList_->GetImageCount(ListIndex);
    if (count <= 0) return;
    if (frame_ >= count) frame_ = 0;
    TBitmap bitmap;
    bitmap.SetSize(16, 16);
    imageList_->GetImage(ListIndex, frame_, &bitmap);
    HICON icon = 0;
    BitmapToIcon(bitmap, icon, 16, 16);
    const NOTIFYICONDATAA data = Record(icon);
    Shell_NotifyIconA(NIM_MODIFY, &data);
    DestroyIcon(icon);
    if (++frame_ >= count) frame_ = 0;
}

void TVELTrayIcon::BuildTimer()
{
    if (!animated_) return;
    if (timerMode_ == TVELTimerMode::tmGlobalTimer) {
        if (timerIdent_) return;
        // The pool ticks every 50 ms; 65500 is the last such step a 16-bit
        // interval holds.
        Interval = static_cast<TVELTimerInterval>(std::min(65500, (Interval + 49) / 50 * 50));
        const std::uint16_t ident =
            GlobalApplication ? GlobalApplication->AllocTimer(Interval, [this](TPersistent*) { AnimateIcon(); }) : 0;
        if (ident == 0) throw EOutOfResources("Not enough timers available");
        GlobalApplication->FindTimer(ident)->SetEnabled(false);
        timerIdent_ = ident;
    } else if (!hiTimer_) {
        hiTimer_ = new TVELHiTimer(this);
        hiTimer_->SetOnTimer([this](TPersistent*) { AnimateIcon(); });
        hiTimer_->SetUseThread(timerMode_ == TVELTimerMode::tmThreaded);
    }
}

void TVELTrayIcon::StartTimer(bool value)
{
    if (!animated_) return;
    frame_ = 0;
    if (hiTimer_) {
        if (value) {
            hiTimer_->SetInterval(Interval);
            hiTimer_->SetThreadPriority(ThreadPriority);
        }
        hiTimer_->SetEnabled(value);
    } else if (TVELTimerItem* item = timerIdent_ ? GlobalApplication->FindTimer(timerIdent_) : nullptr) {
        if (value) item->SetInterval(Interval);
        item->SetEnabled(value);
        GlobalApplication->TimerPool()->ActivatePool(true);
    }
}

void TVELTrayIcon::ReleaseTimer()
{
    // Freeing the timer stops its thread and waits for it.
    delete hiTimer_;
    hiTimer_ = nullptr;
    if (timerIdent_ && GlobalApplication) GlobalApplication->ReleaseTimer(timerIdent_);
    timerIdent_ = 0;
}

void TVELTrayIcon::ShowOwner(bool show)
{
    ShowWindow(ApplicationWindow(), show ? SW_SHOW : SW_HIDE);
    auto* form = dynamic_cast<TForm*>(Owner());
    if (!form) return;
    if (show) {
        if (form->WindowState() == TWindowState::wsMinimized) form->SetWindowState(TWindowState::wsNormal);
        form->Show();
    } else {
        form->Hide();
    }
}

void TVELTrayIcon::IconWndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_TRAYICON:
        GetCursorPos(&cursor_);
        MouseAction(static_cast<UINT>(message.LParam));
        return;
    case WM_NOTIFYAREACHANGED:
        if (active_ && !Designing()) ShowOwner(!NotifyAreaAvailable());
        return;
    default: message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
    }
}

void TVELTrayIcon::MouseAction(UINT code)
{
    const int x = cursor_.X, y = cursor_.Y;
    const auto down = [&](TMouseButton button, TShiftState shift) {
        if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    };
    const auto click = [&](TMouseButton button) {
        if (OnClick) OnClick(this);
        if (OnMouseUp) OnMouseUp(this, button, 0, x, y);
    };
    const auto doubleClick = [&](TMouseButton button) {
        if (OnDblClick) OnDblClick(this);
        down(button, ssDouble);
    };
    switch (code) {
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(this, 0, x, y);
        break;
    case WM_LBUTTONDOWN: down(TMouseButton::mbLeft, 0); break;
    case WM_LBUTTONUP: click(TMouseButton::mbLeft); break;
    case WM_LBUTTONDBLCLK: doubleClick(TMouseButton::mbLeft); break;
    case WM_RBUTTONDOWN:
        down(TMouseButton::mbRight, 0);
        if (popupMenu_) {
            if (OnPopUp) OnPopUp(this);
            SetForegroundWindow(ApplicationWindow());
            if (Application) Application->ProcessMessages();
            // The handlers may have let go of the menu.
            if (!popupMenu_) break;
            popupMenu_->PopupComponent = this;
            popupMenu_->FreeNotification(this);
            popupMenu_->Popup(x, y);
        }
        break;
    case WM_RBUTTONUP: click(TMouseButton::mbRight); break;
    case WM_RBUTTONDBLCLK: doubleClick(TMouseButton::mbRight); break;
    case WM_MBUTTONDOWN: down(TMouseButton::mbMiddle, 0); break;
    case WM_MBUTTONUP: click(TMouseButton::mbMiddle); break;
    case WM_MBUTTONDBLCLK: doubleClick(TMouseButton::mbMiddle); break;
    default: break;
    }
}

void TVELTrayIcon::WndProc(TMessage& message)
{
    auto* form = dynamic_cast<TForm*>(Owner());
    if (!form || message.Msg == WM_DESTROY || Owner()->Destroying()) {
        TVELWndProcComponent::WndProc(message);
        return;
    }
    // Without an area to come back through, minimize and close keep their
    // usual meaning and the window stays on the task bar.
    const bool docked = Docked();
    const HWND application = ApplicationWindow();
    switch (message.Msg) {
    case WM_SHOWWINDOW:
        if (active_ && message.WParam) ShowWindow(application, ShowMinimizedIcon || !docked ? SW_SHOW : SW_HIDE);
        break;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_MINIMIZE) {
            TVELWndProcComponent::WndProc(message);
            if (!ShowMinimizedIcon && docked) {
                ShowWindow(application, SW_HIDE);
                form->Hide();
            }
            return;
        }
        if ((message.WParam & 0xFFF0) == SC_CLOSE && NoClose && docked) {
            ShowWindow(application, SW_HIDE);
            form->Hide();
            return;
        }
        break;
    default: break;
    }
    TVELWndProcComponent::WndProc(message);
}

void TVELTrayIcon::Loaded()
{
    TVELWndProcComponent::Loaded();
    if (active_) {
        active_ = false;
        SetActive(true);
    }
}

void TVELTrayIcon::Notification(TComponent* component, TOperation operation)
{
    TVELWndProcComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == popupMenu_) popupMenu_ = nullptr;
    if (component && component == imageList_) {
        if (link_ && link_->Sender()) link_->Sender()->RemoveChangeLink(link_.get());
        imageList_ = nullptr;
    }
    if (hiTimer_ && component == hiTimer_) hiTimer_ = nullptr;
}

} // namespace velvane
