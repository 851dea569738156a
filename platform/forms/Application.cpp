#include "platform/forms/Application.h"

#include "platform/classes/Thread.h"
#include "platform/forms/Dialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace velvane {

TApplication* Application = nullptr;

// A worker thread's own event loop shows no boxes: its errors go to stderr.
void HandleCaught(TPersistent* sender)
{
    if (Application && IsMainThread()) {
        Application->HandleException(sender ? sender : Application);
        return;
    }
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception\n");
    }
}

namespace {

// Live TApplicationEvents, in creation order. Main thread only.
std::vector<TApplicationEvents*>& EventHooks()
{
    static std::vector<TApplicationEvents*> hooks;
    return hooks;
}

bool IsHooked(const TApplicationEvents* events)
{
    const auto& hooks = EventHooks();
    return std::find(hooks.begin(), hooks.end(), events) != hooks.end();
}

// Serves worker threads' Synchronize calls; posted by the wake hook, so it
// runs inside the event loop even when the QApplication is not our own.
void ServeWorkers()
{
    try {
        CheckSynchronize();
    } catch (...) {
        HandleCaught();
    }
}

void WakeFromAnyThread()
{
    // Posting is thread-safe; the call runs on the object's (main) thread.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &ServeWorkers, Qt::QueuedConnection);
}

} // namespace

// Every event Qt dispatches passes through notify: the one place where an
// exception from any handler can be stopped before it reaches Qt's loop.
class TApplication::EventLoop : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            HandleCaught();
            return false;
        }
    }
};

TApplication::TApplication(int& argc, char** argv) : TComponent(nullptr)
{
    // A QApplication made earlier (by test support) is used as it is; its
    // dispatch is not ours, so only the calls we post ourselves are guarded.
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        qt_ = qobject_cast<QApplication*>(existing);
    } else {
        ownQt_ = std::make_unique<EventLoop>(argc, argv);
        qt_ = ownQt_.get();
    }
    Application = this;
    // The programs speak Brazilian Portuguese whatever the user's locale:
    // Qt's own texts (file dialogs, Yes/No/Cancel) must too.
    translator_ = std::make_unique<QTranslator>();
    if (translator_->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator_.get());
    // The main form decides when the program ends, not the last window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    SetWakeMainThread(&WakeFromAnyThread);
}

TApplication::~TApplication()
{
    // Forms own widgets: they go while the QApplication is still there.
    DestroyComponents();
    mainForm_ = nullptr;
    mainComponent_ = nullptr;
    if (handle_) {
        if (TaskBarWindow() == handle_) SetTaskBarWindow(nullptr);
        DeallocateHWnd(handle_);
    }
    handle_ = nullptr;
    hooks_.clear();
    SetWakeMainThread(nullptr);
    if (Application == this) Application = nullptr;
}

String TApplication::Title() const { return title_; }

void TApplication::SetTitle(const String& title)
{
    // Not Qt's display name: its X11 back-end would append that to every
    // window title, and a title must read exactly as the form's caption.
    title_ = title;
    QCoreApplication::setApplicationName(QString::fromStdString(title));
}

void TApplication::ProcessMessages()
{
    try {
        QCoreApplication::processEvents();
        CheckSynchronize();
    } catch (...) {
        // Reached only when the QApplication is not our own.
        HandleException(this);
    }
}

void TApplication::Terminate()
{
    terminated_ = true;
    // Ends every loop running now (a no-op when none runs); Run checks the flag.
    QCoreApplication::exit(0);
}

void TApplication::HandleException(TPersistent* sender)
{
    std::exception_ptr current = std::current_exception();
    if (!current) return;

    auto dispatch = [&](const Exception& e) {
        bool handled = false;
        // A handler that fails itself is shown, not passed on.
        auto call = [&](const TExceptionEvent& handler) {
            handled = true;
            try {
                handler(sender, e);
            } catch (const Exception& inner) {
                ShowException(inner);
            } catch (const std::exception& inner) {
                ShowException(Exception(inner.what()));
            } catch (...) {
                ShowException(Exception("Unknown exception"));
            }
        };
        if (OnException) call(OnException);
        // A handler may free other hooks: walk a copy, skip the ones gone.
        const std::vector<TApplicationEvents*> hooks = EventHooks();
        for (TApplicationEvents* hook : hooks)
            if (IsHooked(hook) && hook->OnException) call(hook->OnException);
        if (!handled) ShowException(e);
    };

    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        dispatch(e);
    } catch (const std::exception& e) {
        dispatch(Exception(e.what()));
    } catch (...) {
        dispatch(Exception("Unknown exception"));
    }
}

void TApplication::ShowException(const Exception& e)
{
    try {
        MessageDlg(e.Message(), TMsgDlgType::mtError, mbOK);
    } catch (const std::exception& failed) {
        std::fprintf(stderr, "%s\n%s\n", e.Message().c_str(), failed.what());
    } catch (...) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
    }
}

HWND TApplication::Handle()
{
    if (!handle_) {
        handle_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
        // Its visible switch stands for the program's task-bar buttons.
        SetTaskBarWindow(handle_);
    }
    return handle_;
}

void TApplication::HookMainWindow(const void* key, TWindowHook hook)
{
    for (auto& entry : hooks_) {
        if (entry.first == key) {
            entry.second = std::move(hook);
            return;
        }
    }
    hooks_.emplace_back(key, std::move(hook));
}

void TApplication::UnhookMainWindow(const void* key)
{
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [key](const auto& entry) { return entry.first == key; }),
                 hooks_.end());
}

void TApplication::WndProc(TMessage& message)
{
    // A hook may add or remove hooks: walk a copy and skip the ones gone.
    const auto hooks = hooks_;
    for (const auto& [key, hook] : hooks) {
        const bool stillHooked = std::any_of(hooks_.begin(), hooks_.end(),
                                             [k = key](const auto& entry) { return entry.first == k; });
        if (stillHooked && hook && hook(message)) return;
    }
    message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == mainComponent_) {
        mainForm_ = nullptr;
        mainComponent_ = nullptr;
    }
}

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner)
{
    EventHooks().push_back(this);
}

TApplicationEvents::~TApplicationEvents()
{
    auto& hooks = EventHooks();
    hooks.erase(std::remove(hooks.begin(), hooks.end(), this), hooks.end());
}

} // namespace velvane
