#pragma once
// TRadioGroup: a captioned group of radio buttons, one chosen by index.
// OnClick fires whenever the chosen item changes, by the user or by code.

#include "platform/forms/Form.h"

#include <QGroupBox>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace velvane {

class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const String& caption, std::initializer_list<const char*> items, QWidget* parent);

    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
    // -1 when none is chosen.
    int ItemIndex() const;
    // Out of range chooses none.
    void SetItemIndex(int index);
    TNotifyEvent OnClick;

private:
    std::vector<QRadioButton*> buttons_;
    QButtonGroup* group_ = nullptr;
};

} // namespace velvane
