#pragma once
// The program's windows on the desktop's task bar, or off it.

class QWidget;

namespace velvane {

// Takes a top-level widget off the task bar (and the pager), or puts it
// back. False when there is no X window to tell (yet).
bool SetSkipTaskBar(QWidget* widget, bool skip);

} // namespace velvane
