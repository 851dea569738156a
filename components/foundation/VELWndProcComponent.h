#pragma once
// TVELWndProcComponent: a component that subclasses its owner form's
// window. It puts its own window procedure in place of the window's, sees
// every message first (WndProc) and hands it on to the procedure it replaced.
// The theme manager and the tray icon derive from it.

#include "components/foundation/VELCustomComponent.h"
#include "platform/win/Windows.h"

namespace velvane {

class TVELWndProcComponent : public TVELCustomComponent {
public:
    // MDIKind follows the owner form's style (0 plain, 1 MDI child, 2 MDI
    // parent). Nothing is subclassed until DoHook or HookWindow.
    explicit TVELWndProcComponent(TComponent* owner);
    // Unhooks first.
    ~TVELWndProcComponent() override;
    const char* ClassName() const override { return "TVELWndProcComponent"; }

    bool Enabled = true;         // subclassing is wanted
    bool HookAtDesign = false;   // also while the component is being designed
    bool HandleApp = false;      // also hook the application's own window
    bool Silent = false;         // cleared by UnhookWindow
    bool UseFormWindow = false;  // an MDI parent subclasses its own window

    bool AppHooked() const { return appHooked_; }
    BYTE MDIKind() const { return mdiKind_; }
    WNDPROC ObjectInstance() const { return objectInstance_; }
    // Set exactly while the window is subclassed.
    WNDPROC OldWndProc() const { return oldWndProc_; }

    // The application-window hook while HandleApp is set. Answers false here,
    // so the message goes on to other hooks and the default handling; a
    // component that consumes a message answers true for it.
    virtual bool MainWindowHook(TMessage& message);
    // HookWindow when Enabled and not hooked yet.
    virtual void DoHook();
    virtual void DoUnhook();
    // The subclass procedure: passes everything on to OldWndProc, until
    // WM_DESTROY (after which nothing more is passed on; an MDI child unhooks
    // at WM_DESTROY and does not pass it on).
    virtual void WndProc(TMessage& message);
    // Unhooks while designing unless HookAtDesign.
    virtual void CheckDesignHook();
    virtual void HookStateChanged();

    // False, changing nothing, without a target window, when already hooked,
    // or while designing without HookAtDesign; a library error on the way
    // unhooks again and answers false.
    bool HookWindow();
    // Puts the old procedure back; always true.
    bool UnhookWindow();

    TComponent* GetOwnerComponent() const { return Owner(); }
    // A change of Enabled hooks (DoHook) or unhooks (DoUnhook) at once,
    // unless designing; HookStateChanged follows either way.
    void SetEnabled(bool value);
    // Taken only while designing or loading.
    void SetHandleApp(bool value);
    // Unhooks without a word to the owner window, then SetEnabled(false).
    void UnhookSilent();
    // The window to subclass: the owner form's (an MDI parent's client
    // window unless UseFormWindow); null without a form owner.
    HWND TargetHandle() const;

protected:
    // Hooks once the stored properties are in place.
    void Loaded() override;

private:
    bool appHooked_ = false;
    BYTE mdiKind_ = 0;
    WNDPROC objectInstance_ = nullptr;
    WNDPROC oldWndProc_ = nullptr;
    bool destroying_ = false;
};

} // namespace velvane
