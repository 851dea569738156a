#pragma once
// ShowHint and ParentShowHint of a control, as the class library has them:
// with ParentShowHint the control shows hints as its window does (the
// programs' windows all do); otherwise ShowHint decides. Setting ShowHint
// turns ParentShowHint off. The control's tool tip is held back while its
// hint is not to show.

#include "platform/classes/Filer.h"

#include <QObject>

class QWidget;

namespace velvane {

class THintSwitch : public QObject {
public:
    explicit THintSwitch(QWidget* control);

    bool ShowHint() const { return parentShowHint_ || showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);

    // The stored forms' two properties (ShowHint only while ParentShowHint
    // is off), each where the control's list has it.
    void DeclareShowHint(TPropertyList& list);
    void DeclareParentShowHint(TPropertyList& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool showHint_ = false;
    bool parentShowHint_ = true;
};

} // namespace velvane
