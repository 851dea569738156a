#include "platform/forms/ControlWindow.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace velvane {

TControlWindow::TControlWindow(QWidget* widget, TWndMethod method) : widget_(widget), method_(std::move(method))
{
    procedure_ = MakeObjectInstance([this](TMessage& m) {
        if (method_) method_(m);
        else m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
    });
    handle_ = CreateWindowFor(widget, procedure_);
    widget->installEventFilter(this);
}

TControlWindow::~TControlWindow()
{
    if (widget_) widget_->removeEventFilter(this);
    // WM_DESTROY goes to the default handling: the control is going away.
    method_ = nullptr;
    DestroyWindow(handle_);
    FreeObjectInstance(procedure_);
}

LRESULT TControlWindow::Perform(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(handle_, message, wParam, lParam);
}

void TControlWindow::Track(bool inside)
{
    if (inside == inside_) return;
    inside_ = inside;
    Perform(inside ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

bool TControlWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != widget_) return false;
    switch (event->type()) {
    case QEvent::Enter: Track(true); break;
    case QEvent::Leave: Track(false); break;
    case QEvent::MouseMove: {
        // While a button is held the mouse belongs to the control, and
        // crossing its edge is told from the moves themselves.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() != Qt::NoButton) Track(widget_->rect().contains(mouse->position().toPoint()));
        break;
    }
    case QEvent::EnabledChange: Perform(CM_ENABLEDCHANGED); break;
    case QEvent::FontChange: Perform(CM_FONTCHANGED); break;
    case QEvent::PaletteChange: Perform(CM_SYSCOLORCHANGE); break;
    default: break;
    }
    return false;
}

} // namespace velvane
