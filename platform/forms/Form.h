#pragma once
// TForm: a window of the programs, a component bridged to its QWidget through
// a window handle. Qt's events reach the form as messages through the
// handle's current window procedure, so a form (or a component subclassing
// it) sees close, show, size and key messages as the programs expect.

#include "platform/classes/Component.h"
#include "platform/forms/ModalService.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/Windows.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace velvane {

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TPosition { poDesigned, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TCursor { crDefault, crHourGlass, crHandPoint, crArrow };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

// Posted by a form to itself by Release; on delivery the form deletes itself.
constexpr UINT CM_RELEASE = 0xB000 + 33;

using TNotifyEvent = std::function<void(QObject* sender)>;
using TCloseEvent = std::function<void(QObject* sender, TCloseAction& action)>;
using TKeyEvent = std::function<void(QObject* sender, int& key)>;

// The Tag of a control or menu action (its "Tag" property), 0 when none.
std::intptr_t TagOf(const QObject* object);
void SetTag(QObject* object, std::intptr_t tag);

class TForm : public TComponent {
public:
    // The widget is made by the form (a QWidget, or the given one, taken over).
    explicit TForm(TComponent* owner, QWidget* widget = nullptr);
    ~TForm() override;

    const char* ClassName() const override { return "TForm"; }

    QWidget* Widget() const { return widget_; }
    HWND Handle() const { return handle_; }

    String Caption() const;
    void SetCaption(const String& caption);

    // Bounds of the window's client area on the screen.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);

    TPosition Position = TPosition::poDesigned;
    // Recorded for components that ask; windows here are never MDI, and an
    // MDI parent has no client window (ClientHandle is null).
    TFormStyle FormStyle = TFormStyle::fsNormal;
    HWND ClientHandle() const { return nullptr; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    // The form sees key releases of its controls before they do.
    bool KeyPreview = false;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    bool Visible() const;
    void Show();
    void Hide();
    // Asks OnClose what to do: nothing, hide, free (later, once the events
    // of now are done) or minimize. Closing the main form ends the program.
    void Close();
    // Deletes the form once the events being handled now are done.
    void Release();

    // Shows the form modally through the modal service; returns ModalResult.
    int ShowModal();
    int ModalResult = mrNone;

    TNotifyEvent OnCreate;
    TCloseEvent OnClose;
    TKeyEvent OnKeyUp;

    // Runs OnCreate; the application object calls it once the form is built.
    void DoCreate();

    // Set by the application object on its main form: closing it ends the
    // program (through OnMainFormClosed) instead of hiding or freeing it.
    bool IsMainForm = false;
    // The application object's way to end the program; may be empty.
    static std::function<void()> OnMainFormClosed;

protected:
    // The form's own window procedure; the default hands WM_CLOSE to Close
    // and everything else to DefWindowProcA.
    virtual void WndProc(TMessage& message);
    // The key release of a control of this form, when KeyPreview is on.
    virtual void KeyUp(QObject* sender, int& key);

private:
    friend class KeyPreviewFilter;
    QPointer<QWidget> widget_;
    HWND handle_ = nullptr;
    WNDPROC procedure_ = nullptr;
    TCursor cursor_ = TCursor::crDefault;
    bool shownOnce_ = false;
    // Set once destruction begins: messages then take the default path, so
    // no handler of a half-destroyed form runs.
    bool dying_ = false;
    QObject* keyFilter_ = nullptr;
};

// Shows the form application-modal and runs events until its ModalResult is
// set or it is hidden or closed (mrCancel then); hides it again and returns
// the result. The Qt answer to a ModalRequest of kind Form.
int RunFormModally(TForm* form);

// Applies a cursor to a widget (the default clears it).
void ApplyCursor(QWidget* widget, TCursor cursor);

} // namespace velvane
