#include "platform/forms/PushButton.h"

#include "platform/forms/Screen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace velvane {

namespace {

// Return and Escape that no control of the window took: they click the
// window's default and cancel buttons.
class DialogKeys : public QObject {
public:
    explicit DialogKeys(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("velvane-dialog-keys")); }

    static void InstallOn(QWidget* window)
    {
        if (window->findChild<DialogKeys*>(QStringLiteral("velvane-dialog-keys"), Qt::FindDirectChildrenOnly))
            return;
        window->installEventFilter(new DialogKeys(window));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || watched != parent()) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (!enter && key != Qt::Key_Escape) return false;
        for (QPushButton* candidate : static_cast<QWidget*>(parent())->findChildren<QPushButton*>()) {
            auto* button = dynamic_cast<TButton*>(candidate);
            if (!button || !button->isVisible() || !button->isEnabled()) continue;
            if (enter ? !button->ActiveDefault() : !button->Cancel()) continue;
            button->click();
            return true;
        }
        return false;
    }
};

} // namespace

TButton::TButton(TComponent* owner, QWidget* parent) : QPushButton(parent), TComponent(owner)
{
    // A focused button clicks on Return, as on Space.
    setAutoDefault(true);
    window_ = std::make_unique<TControlWindow>(this, [this](TMessage& m) { WndProc(m); });
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        focusWatch_ = connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusMoved(now); });
}

TButton::~TButton()
{
    // Qt moves the focus away only after this part of the button is gone.
    disconnect(focusWatch_);
    window_.reset();
}

String TButton::Caption() const { return text().toStdString(); }

void TButton::SetCaption(const String& caption) { setText(QString::fromStdString(caption)); }

void TButton::SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

void TButton::SetDefault(bool value)
{
    if (value == default_) return;
    default_ = value;
    setDefault(value);
    if (value) DialogKeys::InstallOn(window());
    FocusMoved(QApplication::focusWidget());
}

void TButton::SetCancel(bool value)
{
    cancel_ = value;
    if (value) DialogKeys::InstallOn(window());
}

void TButton::FocusMoved(QWidget* now)
{
    // A move in another window says nothing about this one.
    if (now && now->window() != window()) return;
    const bool active = now == this || (default_ && !qobject_cast<QPushButton*>(now));
    active_ = active;
    SetButtonStyle(active);
}

TForm* TButton::ParentForm() const
{
    const QWidget* top = window();
    for (int i = 0; i < Screen().FormCount(); ++i)
        if (Screen().Forms(i)->Widget() == top) return Screen().Forms(i);
    return nullptr;
}

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (TForm* form = ParentForm()) form->ModalResult = ModalResult;
    if (OnClick) OnClick(this);
}

void TButton::SetOwnerDraw(bool value)
{
    ownerDraw_ = value;
    update();
}

void TButton::WndProc(TMessage& message)
{
    message.Result = DefWindowProcA(Handle(), message.Msg, message.WParam, message.LParam);
}

void TButton::SetButtonStyle(bool) { update(); }

void TButton::paintEvent(QPaintEvent* event)
{
    if (!ownerDraw_) {
        QPushButton::paintEvent(event);
        return;
    }
    if (width() <= 0 || height() <= 0) return;
    if (picture_.size() != size()) picture_ = QImage(size(), QImage::Format_RGB32);
    TCanvas canvas(picture_);
    TDrawItemStruct item;
    item.itemState = (isDown() ? ODS_SELECTED : 0) | (isEnabled() ? 0 : ODS_DISABLED) | (hasFocus() ? ODS_FOCUS : 0);
    item.Canvas = &canvas;
    item.rcItem = ClientRect();
    item.hwndItem = Handle();
    Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    QPainter(this).drawImage(0, 0, picture_);
}

} // namespace velvane
