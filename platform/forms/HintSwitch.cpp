#include "platform/forms/HintSwitch.h"

#include <QEvent>
#include <QWidget>

namespace velvane {

THintSwitch::THintSwitch(QWidget* control) : QObject(control)
{
    control->installEventFilter(this);
}

void THintSwitch::SetShowHint(bool value)
{
    showHint_ = value;
    parentShowHint_ = false;
}

void THintSwitch::SetParentShowHint(bool value)
{
    parentShowHint_ = value;
}

void THintSwitch::DeclareShowHint(TPropertyList& list)
{
    list.Boolean("ShowHint", [this] { return ShowHint(); }, [this](bool v) { SetShowHint(v); })
        .Stored([this] { return !parentShowHint_; });
}

void THintSwitch::DeclareParentShowHint(TPropertyList& list)
{
    list.Boolean("ParentShowHint", [this] { return parentShowHint_; }, [this](bool v) { SetParentShowHint(v); })
        .Default(1);
}

bool THintSwitch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !ShowHint()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velvane
