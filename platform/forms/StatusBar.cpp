#include "platform/forms/StatusBar.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <QLabel>

namespace velvane {

TStatusBar::TStatusBar(std::initializer_list<int> widths)
{
    int index = 0;
    for (int width : widths) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("Panel%1").arg(index));
        label->setMinimumWidth(width);
        if (++index < static_cast<int>(widths.size())) label->setMaximumWidth(width);
        panels_.push_back(label);
    }
}

TStatusBar::TStatusBar(QStatusBar* bar, std::initializer_list<int> widths) : TStatusBar(widths) { PlaceIn(bar); }

TStatusBar::~TStatusBar()
{
    if (bar_) return;
    for (QLabel* label : panels_) delete label;
}

void TStatusBar::PlaceIn(QStatusBar* bar)
{
    if (bar_) return;
    bar_ = bar;
    // The last panel stretches over what is left.
    for (QLabel* label : panels_) bar->addWidget(label, label == panels_.back() ? 1 : 0);
}

QLabel* TStatusBar::At(int index) const
{
    if (index < 0 || index >= PanelCount())
        throw EListError(ErrorText(TErrorText::ListIndex, {index}));
    return panels_[static_cast<size_t>(index)];
}

String TStatusBar::Panel(int index) const { return At(index)->text().toStdString(); }

void TStatusBar::SetPanel(int index, const String& text) { At(index)->setText(QString::fromStdString(text)); }

} // namespace velvane
