#include "platform/forms/StdCtrls.h"

#include <QLabel>

namespace velvane {

namespace {

QString Q(const String& text) { return QString::fromStdString(text); }

} // namespace

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

String TEdit::Text() const { return text().toStdString(); }

void TEdit::SetText(const String& text) { setText(Q(text)); }

TLabeledEdit::TLabeledEdit(const String& caption, QWidget* parent) : TEdit(parent)
{
    EditLabel = new QLabel(Q(caption), parent);
    EditLabel->setBuddy(this);
}

void TLabeledEdit::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    EditLabel->adjustSize();
    EditLabel->move(left, top - EditLabel->height() - 3);
}

TCheckBox::TCheckBox(const String& caption, QWidget* parent) : QCheckBox(Q(caption), parent)
{
    connect(this, &QCheckBox::toggled, this, [this] {
        if (OnClick) OnClick(this);
    });
}

TComboBox::TComboBox(bool editable, QWidget* parent) : QComboBox(parent)
{
    setEditable(editable);
    // Not on currentIndexChanged: code that sets the index fires no OnChange.
    connect(this, &QComboBox::activated, this, [this] {
        if (OnChange) OnChange(this);
    });
    if (editable) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (OnChange) OnChange(this);
        });
    }
}

void TComboBox::AddItems(std::initializer_list<const char*> items)
{
    for (const char* item : items) addItem(QString::fromUtf8(item));
}

String TComboBox::Text() const { return currentText().toStdString(); }

void TComboBox::SetText(const String& text)
{
    if (isEditable()) {
        setEditText(Q(text));
        return;
    }
    setCurrentIndex(findText(Q(text)));
}

} // namespace velvane
