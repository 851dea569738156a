#include "platform/win/Windows.h"

#include "platform/classes/Thread.h"
#include "platform/win/WindowBridge.h"
#include "platform/win/WindowRecords.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <mutex>
#include <unordered_map>

namespace velvane {

using win::WindowRecord;

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<HWND, std::shared_ptr<WindowRecord>> records;
    // Handles count up and are never handed out twice, so a stale handle
    // can never reach a newer window.
    std::uintptr_t last = 0;
};

// Never destroyed: a worker may still post while statics are torn down.
Registry& Records()
{
    static auto* registry = new Registry;
    return *registry;
}

// Wakes the main thread for a message another thread sends. The send itself
// runs as a Synchronize call (which TThread::WaitFor serves too); this event
// serves the queue from the event loop, and comes back until the call has run.
const QEvent::Type kServeSend = static_cast<QEvent::Type>(QEvent::registerEventType());

struct ServeSend : QEvent {
    explicit ServeSend(std::shared_ptr<std::atomic<bool>> d) : QEvent(kServeSend), done(std::move(d)) {}
    std::shared_ptr<std::atomic<bool>> done;
};

class SendRelay : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() != kServeSend) return QObject::event(event);
        auto done = static_cast<ServeSend*>(event)->done;
        CheckSynchronize();
        // The sender may not have queued its call yet.
        if (!*done) QCoreApplication::postEvent(this, new ServeSend(done));
        return true;
    }
};

std::atomic<QObject*> relay{nullptr};

void EnsureRelay()
{
    if (relay.load() || !IsMainThread() || !QCoreApplication::instance()) return;
    relay = new SendRelay;
}

HWND NewHandle(Registry& registry)
{
    registry.last += 4;
    return reinterpret_cast<HWND>(0x10000 + registry.last);
}

WindowProcedure* DefaultProcedure()
{
    static WindowProcedure procedure{[](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }};
    return &procedure;
}

} // namespace

namespace win {

std::shared_ptr<WindowRecord> FindRecord(HWND window)
{
    Registry& registry = Records();
    std::lock_guard lock(registry.mutex);
    auto it = registry.records.find(window);
    return it == registry.records.end() ? nullptr : it->second;
}

LRESULT Invoke(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!procedure || !procedure->Call) return 0;
    auto call = procedure->Call;
    return call(window, message, wParam, lParam);
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto record = FindRecord(window);
    if (!record) return 0;
    return Invoke(record->procedure.load(), window, message, wParam, lParam);
}

} // namespace win

WNDPROC MakeProcInstance(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> procedure)
{
    return new WindowProcedure{std::move(procedure)};
}

WNDPROC MakeObjectInstance(TWndMethod method)
{
    return new WindowProcedure{[method = std::move(method)](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        TMessage m{message, wParam, lParam, 0};
        method(m);
        return m.Result;
    }};
}

void FreeObjectInstance(WNDPROC procedure)
{
    if (procedure != DefaultProcedure()) delete procedure;
}

WNDPROC DefWindowProcInstance() { return DefaultProcedure(); }

HWND CreateWindowFor(QWidget* widget, WNDPROC procedure)
{
    EnsureRelay();
    auto record = std::make_shared<WindowRecord>();
    record->procedure = procedure;
    record->widget = widget;
    Registry& registry = Records();
    {
        std::lock_guard lock(registry.mutex);
        record->handle = NewHandle(registry);
        record->bridge = new win::WindowBridge(record->handle, widget);
        registry.records.emplace(record->handle, record);
    }
    win::Deliver(record->handle, WM_CREATE, 0, 0);
    return record->handle;
}

HWND AllocateHWnd(TWndMethod method)
{
    WNDPROC procedure = MakeObjectInstance(std::move(method));
    HWND window = CreateWindowFor(nullptr, procedure);
    if (auto record = win::FindRecord(window)) record->ownedProcedure = procedure;
    return window;
}

void DeallocateHWnd(HWND window) { DestroyWindow(window); }

BOOL DestroyWindow(HWND window)
{
    auto record = win::FindRecord(window);
    if (!record) return FALSE;
    if (record->destroying) return TRUE;
    record->destroying = true;
    win::Deliver(window, WM_DESTROY, 0, 0);
    win::Deliver(window, WM_NCDESTROY, 0, 0);
    Registry& registry = Records();
    win::WindowBridge* bridge;
    {
        // From here on no thread can post to the bridge.
        std::lock_guard lock(registry.mutex);
        registry.records.erase(window);
        bridge = record->bridge;
        record->bridge = nullptr;
    }
    if (bridge) bridge->Detach();
    if (QWidget* widget = record->widget) widget->hide();
    if (record->ownedProcedure) FreeObjectInstance(record->ownedProcedure);
    return TRUE;
}

BOOL IsWindow(HWND window) { return win::FindRecord(window) ? TRUE : FALSE; }

QWidget* WidgetOf(HWND window)
{
    auto record = win::FindRecord(window);
    return record ? record->widget.data() : nullptr;
}

HWND WindowOf(const QWidget* widget)
{
    if (!widget) return nullptr;
    Registry& registry = Records();
    std::lock_guard lock(registry.mutex);
    for (const auto& [handle, record] : registry.records)
        if (record->widget == widget) return handle;
    return nullptr;
}

LONG_PTR GetWindowLongA(HWND window, int index)
{
    auto record = win::FindRecord(window);
    if (!record) return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(record->procedure.load());
    case GWL_USERDATA: return record->userData.load();
    default: return 0;
    }
}

LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value)
{
    auto record = win::FindRecord(window);
    if (!record) return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(record->procedure.exchange(reinterpret_cast<WNDPROC>(value)));
    case GWL_USERDATA: return record->userData.exchange(value);
    default: return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return win::Invoke(procedure, window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND: {
        QWidget* widget = WidgetOf(window);
        // The low four bits are the system's own.
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: if (widget) widget->showMinimized(); break;
        case SC_MAXIMIZE: if (widget) widget->showMaximized(); break;
        case SC_RESTORE: if (widget) widget->showNormal(); break;
        case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); break;
        default: break;
        }
        return 0;
    }
    default: return 0;
    }
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsMainThread()) return win::Deliver(window, message, wParam, lParam);
    if (!IsWindow(window)) return 0;
    auto done = std::make_shared<std::atomic<bool>>(false);
    if (QObject* r = relay.load()) QCoreApplication::postEvent(r, new ServeSend(done));
    LRESULT result = 0;
    TThread::Synchronize(nullptr, [&] {
        struct Done {
            std::atomic<bool>& flag;
            ~Done() { flag = true; }
        } mark{*done};
        result = win::Deliver(window, message, wParam, lParam);
    });
    return result;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Registry& registry = Records();
    std::lock_guard lock(registry.mutex);
    auto it = registry.records.find(window);
    if (it == registry.records.end() || !it->second->bridge) return FALSE;
    it->second->bridge->Post(message, wParam, lParam);
    return TRUE;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, void*)
{
    auto record = win::FindRecord(window);
    if (!record || !record->bridge) return 0;
    record->bridge->StartTimer(id, elapse);
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    auto record = win::FindRecord(window);
    if (!record || !record->bridge) return FALSE;
    return record->bridge->StopTimer(id) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command)
{
    auto record = win::FindRecord(window);
    if (!record) return FALSE;
    QWidget* widget = record->widget;
    if (!widget) {
        const BOOL was = record->shown ? TRUE : FALSE;
        record->shown = command != SW_HIDE;
        if (window == TaskBarWindow() && (was == TRUE) != record->shown) win::TaskBarChanged();
        return was;
    }
    const BOOL wasVisible = widget->isVisible() ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE: widget->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: widget->showMinimized(); break;
    case SW_SHOWMAXIMIZED: widget->showMaximized(); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: widget->showNormal(); break;
    default: widget->show(); break;
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND window)
{
    auto record = win::FindRecord(window);
    if (!record) return FALSE;
    if (!record->widget) return record->shown ? TRUE : FALSE;
    return record->widget->isVisible() ? TRUE : FALSE;
}

} // namespace velvane
