#pragma once
// The window record of a control widget. The window bridge of platform/win
// turns the widget's Qt events into messages (show, size, paint, mouse); this
// adds mouse enter and leave, and changes of the enabled state, the font and
// the palette (the colour scheme the system colours come from), and hands
// every message to the control's method.

#include "platform/forms/ControlMessages.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace velvane {

class TControlWindow : public QObject {
public:
    TControlWindow(QWidget* widget, TWndMethod method);
    // Destroys the window: no message reaches the method afterwards.
    ~TControlWindow() override;

    HWND Handle() const { return handle_; }
    // Sends a message to the control through its current window procedure.
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The mouse is over the control (as last told by CM_MOUSEENTER).
    bool MouseInside() const { return inside_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Track(bool inside);

    QPointer<QWidget> widget_;
    TWndMethod method_;
    WNDPROC procedure_ = nullptr;
    HWND handle_ = nullptr;
    bool inside_ = false;
};

} // namespace velvane
