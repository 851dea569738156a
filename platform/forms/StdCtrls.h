#pragma once
// The standard controls the dialogs are made of, with the class library's
// names and its event timing: a check box's OnClick fires whenever its state
// changes (also when code sets it), a combo box's OnChange only when the user
// edits the text or picks an item.

#include "platform/forms/Form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

class QLabel;

namespace velvane {

class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    String Text() const;
    void SetText(const String& text);
};

// An edit with its label above it.
class TLabeledEdit : public TEdit {
public:
    TLabeledEdit(const String& caption, QWidget* parent);

    // Places the edit and keeps the label just above it.
    void SetBounds(int left, int top, int width, int height);
    QLabel* EditLabel = nullptr;
};

class TCheckBox : public QCheckBox {
public:
    TCheckBox(const String& caption, QWidget* parent);

    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
    TNotifyEvent OnClick;
};

class TComboBox : public QComboBox {
public:
    // Editable: the text may be typed (drop-down); otherwise only picked.
    TComboBox(bool editable, QWidget* parent);

    void AddItems(std::initializer_list<const char*> items);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }
    String Text() const;
    void SetText(const String& text);
    TNotifyEvent OnChange;
};

} // namespace velvane
