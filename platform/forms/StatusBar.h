#pragma once
// A status bar of fixed-width text panels, addressed by index.

#include "platform/rtl/Types.h"

#include <QStatusBar>

#include <initializer_list>
#include <vector>

class QLabel;

namespace velvane {

class TStatusBar {
public:
    // Adds one panel of each width (pixels) to the bar; the last one
    // stretches over what is left.
    TStatusBar(QStatusBar* bar, std::initializer_list<int> widths);

    QStatusBar* Bar() const { return bar_; }
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    // Index out of range raises EListError.
    String Panel(int index) const;
    void SetPanel(int index, const String& text);

private:
    QLabel* At(int index) const;
    QStatusBar* bar_;
    std::vector<QLabel*> panels_;
};

} // namespace velvane
