#include "platform/forms/ExtCtrls.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velvane {

TRadioGroup::TRadioGroup(const String& caption, std::initializer_list<const char*> items, QWidget* parent)
    : QGroupBox(QString::fromStdString(caption), parent), group_(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    int id = 0;
    for (const char* item : items) {
        auto* button = new QRadioButton(QString::fromUtf8(item), this);
        group_->addButton(button, id++);
        layout->addWidget(button);
        buttons_.push_back(button);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked && OnClick) OnClick(this);
    });
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last button.
    if (QAbstractButton* chosen = group_->checkedButton()) {
        group_->setExclusive(false);
        chosen->setChecked(false);
        group_->setExclusive(true);
    }
}

} // namespace velvane
