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
    // The panels now, the bar when PlaceIn brings it: making a QStatusBar
    // measures its font, which a window that is never shown need not load.
    // The panels keep their texts meanwhile.
    explicit TStatusBar(std::initializer_list<int> widths);
    ~TStatusBar();
    TStatusBar(const TStatusBar&) = delete;
    TStatusBar& operator=(const TStatusBar&) = delete;

    // The bar takes the panels; once only.
    void PlaceIn(QStatusBar* bar);
    // None before PlaceIn.
    QStatusBar* Bar() const { return bar_; }
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    // Index out of range raises EListError.
    String Panel(int index) const;
    void SetPanel(int index, const String& text);

private:
    QLabel* At(int index) const;
    QStatusBar* bar_ = nullptr;
    std::vector<QLabel*> panels_;  // owned here until a bar takes them
};

} // namespace velvane
