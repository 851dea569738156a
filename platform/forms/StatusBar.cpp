#include "platform/forms/StatusBar.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <QLabel>

namespace velvane {

TStatusBar::TStatusBar(QStatusBar* bar, std::initializer_list<int> widths) : bar_(bar)
{
    int index = 0;
    for (int width : widths) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(index));
        label->setMinimumWidth(width);
        bool last = index == static_cast<int>(widths.size()) - 1;
        if (!last) label->setMaximumWidth(width);
        bar->addWidget(label, last ? 1 : 0);
        panels_.push_back(label);
        ++index;
    }
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
