#include "platform/forms/Form.h"

#include "platform/forms/ControlEvents.h"
#include "platform/forms/Screen.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace velvane {

std::function<void()> TForm::OnMainFormClosed;

// Sees key releases before the control they are meant for, for forms with
// KeyPreview on.
class KeyPreviewFilter : public QObject {
public:
    explicit KeyPreviewFilter(TForm* form) : form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool press = event->type() == QEvent::KeyPress;
        if ((!press && event->type() != QEvent::KeyRelease) || !form_->KeyPreview || !watched->isWidgetType())
            return false;
        auto* receiver = static_cast<QWidget*>(watched);
        QWidget* formWidget = form_->widget_;
        if (!formWidget || (receiver != formWidget && !formWidget->isAncestorOf(receiver))) return false;
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (press) {
            presses_.Released(receiver, keyEvent);
            return false;
        }
        if (Propagating(keyEvent, receiver)) return false;
        // Only a key pressed in the form is its key.
        if (!presses_.Released(receiver, keyEvent)) return false;
        last_ = keyEvent;
        lastReceiver_ = receiver;
        lastKey_ = keyEvent->key();
        lastTime_ = keyEvent->timestamp();

        int key = VirtualKeyOf(keyEvent->key());
        if (key == 0) return false;
        QPointer<KeyPreviewFilter> alive(this);
        form_->KeyUp(receiver, key);
        // A handler that clears the key keeps it from the control; it may
        // also have freed the form (and this filter with it).
        if (alive && key == 0) {
            event->accept();
            return true;
        }
        return false;
    }

private:
    // Qt offers a key event nobody accepted to each parent in turn, and this
    // filter sees every offer; the form previews the key only once.
    bool Propagating(const QKeyEvent* event, const QWidget* receiver)
    {
        if (event != last_ || !lastReceiver_ || receiver != lastReceiver_->parentWidget()) return false;
        if (event->key() != lastKey_ || event->timestamp() != lastTime_) return false;
        lastReceiver_ = const_cast<QWidget*>(receiver);
        return true;
    }

    TForm* form_;
    TKeyPresses presses_;
    const QKeyEvent* last_ = nullptr;
    QPointer<QWidget> lastReceiver_;
    int lastKey_ = 0;
    quint64 lastTime_ = 0;
};

TForm::TForm(TComponent* owner, QWidget* widget) : TComponent(owner), widget_(widget ? widget : new QWidget)
{
    // Messages go to the virtual WndProc of the form as it is now; once the
    // form is being destroyed they take the default path.
    procedure_ = MakeObjectInstance([this](TMessage& m) {
        if (dying_) {
            m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
            return;
        }
        WndProc(m);
    });
    handle_ = CreateWindowFor(widget_, procedure_);
    Screen().AddForm(this);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        keyFilter_ = new KeyPreviewFilter(this);
        app->installEventFilter(keyFilter_);
    }
}

TForm::~TForm()
{
    dying_ = true;
    Screen().RemoveForm(this);
    DestroyWindow(handle_);
    FreeObjectInstance(procedure_);
    if (keyFilter_) {
        if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(keyFilter_);
        delete keyFilter_;
    }
    delete widget_.data();
}

String TForm::Caption() const { return widget_ ? widget_->windowTitle().toStdString() : String(); }

void TForm::SetCaption(const String& caption)
{
    if (widget_) widget_->setWindowTitle(QString::fromStdString(caption));
}

int TForm::Left() const { return widget_ ? widget_->geometry().x() : 0; }
int TForm::Top() const { return widget_ ? widget_->geometry().y() : 0; }
int TForm::Width() const { return widget_ ? widget_->geometry().width() : 0; }
int TForm::Height() const { return widget_ ? widget_->geometry().height() : 0; }

void TForm::SetBounds(int left, int top, int width, int height)
{
    if (widget_) widget_->setGeometry(left, top, width, height);
}

TWindowState TForm::WindowState() const
{
    if (!widget_) return TWindowState::wsNormal;
    const Qt::WindowStates state = widget_->windowState();
    if (state & Qt::WindowMinimized) return TWindowState::wsMinimized;
    if (state & Qt::WindowMaximized) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    if (!widget_) return;
    Qt::WindowStates s = widget_->windowState();
    switch (state) {
    case TWindowState::wsNormal: s &= ~(Qt::WindowMinimized | Qt::WindowMaximized); break;
    case TWindowState::wsMinimized: s |= Qt::WindowMinimized; break;
    case TWindowState::wsMaximized: s = (s & ~Qt::WindowMinimized) | Qt::WindowMaximized; break;
    }
    widget_->setWindowState(s);
}

void TForm::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    ApplyCursor(widget_, cursor);
}

bool TForm::Visible() const { return widget_ && widget_->isVisible(); }

void TForm::Show()
{
    if (!widget_) return;
    if (!shownOnce_) {
        shownOnce_ = true;
        if (Position == TPosition::poScreenCenter) {
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                // The client area is centred: the frame is not known before
                // the first show.
                const QRect area = screen->availableGeometry();
                const QSize size = widget_->size();
                widget_->setGeometry(area.x() + (area.width() - size.width()) / 2,
                                     area.y() + (area.height() - size.height()) / 2, size.width(), size.height());
            }
        }
    }
    widget_->show();
    widget_->raise();
}

void TForm::Hide()
{
    if (widget_) widget_->hide();
}

void TForm::Close()
{
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(widget_, action);
    if (action == TCloseAction::caNone) return;
    if (IsMainForm) {
        Hide();
        if (OnMainFormClosed) OnMainFormClosed();
        return;
    }
    switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree:
        Hide();
        Release();
        break;
    case TCloseAction::caNone: break;
    }
}

void TForm::Release() { PostMessageA(handle_, CM_RELEASE, 0, 0); }

int TForm::ShowModal()
{
    ModalResult = mrNone;
    ModalRequest request;
    request.kind = ModalRequest::Kind::Form;
    request.caption = Caption();
    request.form = this;
    // The form may be gone by now (freed on close): only the answer is left.
    return RunModal(request).result;
}

void TForm::DoCreate()
{
    if (OnCreate) OnCreate(widget_);
}

void TForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        // Not the default: the form decides, and its widget stays alive.
        Close();
        message.Result = 0;
        return;
    case CM_RELEASE:
        delete this;
        return;
    default: message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
    }
}

void TForm::KeyUp(QObject* sender, int& key)
{
    if (OnKeyUp) OnKeyUp(sender, key);
}

void ApplyCursor(QWidget* widget, TCursor cursor)
{
    if (!widget) return;
    switch (cursor) {
    case TCursor::crDefault: widget->unsetCursor(); break;
    case TCursor::crHourGlass: widget->setCursor(Qt::WaitCursor); break;
    case TCursor::crHandPoint: widget->setCursor(Qt::PointingHandCursor); break;
    case TCursor::crArrow: widget->setCursor(Qt::ArrowCursor); break;
    }
}

int RunFormModally(TForm* form)
{
    if (!form || !form->Widget()) return mrCancel;
    QPointer<QWidget> widget = form->Widget();
    const Qt::WindowModality oldModality = widget->windowModality();
    // Modality takes effect when a window is shown.
    if (widget->isVisible()) widget->hide();
    widget->setWindowModality(Qt::ApplicationModal);
    form->ModalResult = mrNone;
    form->Show();

    // The widget goes with its form: while it lives, so does the form. The
    // result is kept as it is seen, for a form that frees itself on closing.
    int result = mrNone;
    auto finished = [&] {
        if (!widget) return true;
        result = form->ModalResult;
        return !widget->isVisible() || result != mrNone;
    };
    if (!finished()) {
        // The result is set and the window closed by event handlers; looking
        // each time the loop has run out of events sees every change without
        // waking an idle program.
        QEventLoop loop;
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (finished()) loop.quit();
        });
        QObject::connect(widget.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!widget) return result != mrNone ? result : mrCancel;
    if (form->ModalResult == mrNone) form->ModalResult = mrCancel;
    form->Hide();
    widget->setWindowModality(oldModality);
    return form->ModalResult;
}

} // namespace velvane
