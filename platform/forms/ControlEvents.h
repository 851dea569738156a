#pragma once
// Event handlers of standard controls that Qt has no signal for.

#include "platform/forms/Form.h"

class QWidget;

namespace velvane {

// Calls handler(control, key) when a key is released in the control; a
// handler that sets key to 0 consumes the key.
void SetOnKeyUp(QWidget* control, TKeyEvent handler);

} // namespace velvane
