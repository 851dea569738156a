#pragma once
// Event handlers of standard controls that Qt has no signal for.

#include "platform/forms/Form.h"

class QWidget;

namespace velvane {

// Calls handler(control, key) when a key is released in the control; a
// handler that sets key to 0 consumes the key.
void SetOnKeyUp(QWidget* control, TKeyEvent handler);
// Calls handler(control) when the keyboard focus enters the control.
void SetOnEnter(QWidget* control, TNotifyEvent handler);
// Calls handler(control) when the control is clicked (a widget that has no
// clicked signal of its own, such as a label or the status bar).
void SetOnClick(QWidget* control, TNotifyEvent handler);
// Calls handler(control) when the mouse moves over the control.
void SetOnMouseMove(QWidget* control, TNotifyEvent handler);

} // namespace velvane
