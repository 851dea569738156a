#pragma once
// TApplication: the program's application object over QApplication.
//
// Every exception that reaches the event loop is caught where the event is
// dispatched and handed to HandleException, which gives it to OnException (or
// shows it in an error box when nobody handles it); the program goes on.

#include "platform/classes/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Windows.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QApplication;
class QTranslator;

namespace velvane {

class TForm;

using TExceptionEvent = std::function<void(TPersistent* sender, const Exception& e)>;

class TApplication : public TComponent {
public:
    // Creates the QApplication (unless one exists) and sets the global
    // Application. argc and argv must outlive the object.
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    const char* ClassName() const override { return "TApplication"; }

    // The application's title (also Qt's application name); window titles
    // are the forms' captions alone.
    String Title() const;
    void SetTitle(const String& title);
    String HelpFile;
    // Runs a help command (HELP_FORCEFILE and the like, platform/forms/Help.h)
    // on HelpFile; false when there is none or the command failed.
    bool HelpCommand(int command, std::intptr_t data);

    // The first form made with CreateForm.
    TForm* MainForm() const { return mainForm_; }
    // Makes a form owned by the application; its creation handler runs, and
    // an error raised there goes to HandleException (the form still exists).
    template <typename T>
    T* CreateForm()
    {
        auto* form = new T(this);
        AfterCreateForm(form);
        return form;
    }

    // Shows the main form (when ShowMainForm) and runs the event loop until
    // Terminate or until the main form closes. Returns at once when
    // Terminate came first.
    void Run();
    // Cleared by a component that keeps the program in the notification
    // area: Run then leaves the main form hidden.
    bool ShowMainForm = true;
    // Runs the events waiting now, and the calls worker threads queued.
    void ProcessMessages();
    // Ends the event loop (or keeps Run from starting it).
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Handles the exception being caught now (call it from a catch block).
    void HandleException(TPersistent* sender);
    // Shows an exception's message in an error box.
    void ShowException(const Exception& e);
    TExceptionEvent OnException;

    // The application's own hidden window, made on first use. Its messages
    // go to the hooks first, in the order they were added (one hook per
    // key); a hook answering true has handled the message, otherwise it
    // takes the default path.
    HWND Handle();
    using TWindowHook = std::function<bool(TMessage&)>;
    void HookMainWindow(const void* key, TWindowHook hook);
    void UnhookMainWindow(const void* key);

    QApplication* Qt() const { return qt_; }
    // True when this object made the QApplication and so stops exceptions at
    // every event; over one made before, only at the calls it posts itself.
    bool CatchesAtDispatch() const { return ownQt_ != nullptr; }

protected:
    // Forgets the main form when it is freed.
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AfterCreateForm(TForm* form);
    void WndProc(TMessage& message);

    class EventLoop;
    QApplication* qt_ = nullptr;
    std::unique_ptr<QApplication> ownQt_;
    std::unique_ptr<QTranslator> translator_;
    String title_;
    TForm* mainForm_ = nullptr;
    // The same object seen as a component; TForm is only declared here.
    TComponent* mainComponent_ = nullptr;
    bool terminated_ = false;
    HWND handle_ = nullptr;
    std::vector<std::pair<const void*, TWindowHook>> hooks_;
};

// The application object; null before one exists.
extern TApplication* Application;

// For catch blocks that must not let an exception travel on: gives the one
// being caught to the application's handler (as raised by sender), or to
// stderr off the main thread or before the application exists.
void HandleCaught(TPersistent* sender = nullptr);

// A component that hooks its owner window into the application's events.
class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* owner);
    ~TApplicationEvents() override;
    const char* ClassName() const override { return "TApplicationEvents"; }

    // Called for every exception that reached the event loop.
    TExceptionEvent OnException;
};

} // namespace velvane
