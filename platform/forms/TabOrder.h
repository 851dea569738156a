#pragma once
// The class library's tab order on Qt's focus chain: a control's TabOrder
// is its place among the focusable children of its parent, in the order the
// Tab key visits them; TabStop is whether the Tab key stops there at all.

class QWidget;

namespace velvane {

// -1 without a parent.
int TabOrderOf(const QWidget* control);
// Moves the control to that place (taken into 0 .. the last place); the
// others keep their order.
void SetTabOrder(QWidget* control, int order);

bool TabStopOf(const QWidget* control);
// Without a tab stop the control still takes the focus when clicked.
void SetTabStop(QWidget* control, bool value);

} // namespace velvane
