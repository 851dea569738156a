#include "components/foundation/VELWndProcComponent.h"

#include "platform/forms/Application.h"
#include "platform/forms/Form.h"

namespace velvane {

TVELWndProcComponent::TVELWndProcComponent(TComponent* owner) : TVELCustomComponent(owner)
{
    if (const auto* form = dynamic_cast<const TForm*>(owner)) {
        if (form->FormStyle == TFormStyle::fsMDIChild)
            mdiKind_ = 1;
        else if (form->FormStyle == TFormStyle::fsMDIForm)
            mdiKind_ = 2;
    }
}

TVELWndProcComponent::~TVELWndProcComponent()
{
    UnhookWindow();
}

bool TVELWndProcComponent::MainWindowHook(TMessage&)
{
    return false;
}

void TVELWndProcComponent::DoHook()
{
    if (Enabled && !objectInstance_) HookWindow();
}

void TVELWndProcComponent::DoUnhook()
{
    UnhookWindow();
}

void TVELWndProcComponent::WndProc(TMessage& message)
{
    if (destroying_) return;
    if (message.Msg == WM_DESTROY) {
        destroying_ = true;
        if (mdiKind_ == 1) {
            // The running procedure keeps its own copy, so it may be freed here.
            UnhookWindow();
            return;
        }
    }
    message.Result = CallWindowProcA(oldWndProc_, TargetHandle(), message.Msg, message.WParam, message.LParam);
}

void TVELWndProcComponent::CheckDesignHook()
{
    if (Designing() && !HookAtDesign) UnhookWindow();
}

void TVELWndProcComponent::HookStateChanged() {}

bool TVELWndProcComponent::HookWindow()
{
    const HWND target = TargetHandle();
    if (!target || oldWndProc_ || (Designing() && !HookAtDesign)) return false;
    try {
        destroying_ = false;
        if (HandleApp && Application) {
            Application->HookMainWindow(this, [this](TMessage& m) { return MainWindowHook(m); });
            appHooked_ = true;
        }
        objectInstance_ = MakeObjectInstance([this](TMessage& m) { WndProc(m); });
        oldWndProc_ = reinterpret_cast<WNDPROC>(GetWindowLongA(target, GWL_WNDPROC));
        SetWindowLongA(target, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(objectInstance_));
    } catch (const Exception&) {
        UnhookWindow();
        return false;
    }
    return true;
}

bool TVELWndProcComponent::UnhookWindow()
{
    if (oldWndProc_) {
        if (const HWND target = TargetHandle()) SetWindowLongA(target, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    }
    oldWndProc_ = nullptr;
    if (objectInstance_) {
        FreeObjectInstance(objectInstance_);
        objectInstance_ = nullptr;
    }
    // Whatever HandleApp says now: a hook left behind would call a freed object.
    if (appHooked_) {
        if (Application) Application->UnhookMainWindow(this);
        appHooked_ = false;
    }
    Silent = false;
    destroying_ = false;
    return true;
}

void TVELWndProcComponent::SetEnabled(bool value)
{
    if (value == Enabled) return;
    Enabled = value;
    if (!Designing()) {
        if (value) DoHook();
        else DoUnhook();
    }
    HookStateChanged();
}

void TVELWndProcComponent::SetHandleApp(bool value)
{
    if (Designing() || Loading()) HandleApp = value;
}

void TVELWndProcComponent::UnhookSilent()
{
    Silent = true;
    UnhookWindow();
    SetEnabled(false);
}

HWND TVELWndProcComponent::TargetHandle() const
{
    try {
        // During the owner's own destruction it is no longer a form, nor
        // any other windowed control.
        if (const auto* form = dynamic_cast<const TForm*>(Owner())) {
            if (mdiKind_ == 2 && !UseFormWindow) return form->ClientHandle();
            return form->Handle();
        }
        if (const auto* control = dynamic_cast<const QWidget*>(Owner())) return WindowOf(control);
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

void TVELWndProcComponent::Loaded()
{
    TVELCustomComponent::Loaded();
    if (!Designing() || HookAtDesign) DoHook();
}

} // namespace velvane
