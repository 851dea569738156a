#pragma once
// Event handlers of standard controls that Qt has no signal for.

#include "platform/forms/Form.h"

#include <QPointer>

#include <utility>
#include <vector>

class QKeyEvent;
class QWidget;

namespace velvane {

// Pairs key releases with their presses, per control. A release whose press
// went elsewhere (the Enter that confirmed a dialog, released once the focus
// is back on the control) is no key for the control.
class TKeyPresses {
public:
    // Notes a key press the control received; for a release, true when the
    // control received its press too. Auto-repeats count as neither.
    bool Released(QObject* control, const QKeyEvent* event);

private:
    std::vector<std::pair<QPointer<QObject>, int>> down_;
};

// Calls handler(control, key) when a key pressed in the control is released
// there; a handler that sets key to 0 consumes the key.
void SetOnKeyUp(QWidget* control, TKeyEvent handler);
// Calls handler(control) when the keyboard focus enters the control.
void SetOnEnter(QWidget* control, TNotifyEvent handler);
// Calls handler(control) when the control is clicked (a widget that has no
// clicked signal of its own, such as a label or the status bar).
void SetOnClick(QWidget* control, TNotifyEvent handler);
// Calls handler(control) when the mouse moves over the control.
void SetOnMouseMove(QWidget* control, TNotifyEvent handler);

} // namespace velvane
