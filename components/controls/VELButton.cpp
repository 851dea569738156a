#include "components/controls/VELButton.h"

#include "platform/classes/Filer.h"

namespace velvane {

void TVELButton::SetDropDownMenu(TPopupMenu* value)
{
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = value;
    if (dropDownMenu_) dropDownMenu_->FreeNotification(this);
}

void TVELButton::Notification(TComponent* component, TOperation operation)
{
    TVELCustomButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == dropDownMenu_) dropDownMenu_ = nullptr;
}

void TVELButton::Click()
{
    if (!dropDownMenu_ || dropping_) {
        TVELCustomButton::Click();
        return;
    }
    if (OnClick) OnClick(this);
    DropDown();
}

void TVELButton::DropDown()
{
    if (!dropDownMenu_ || dropping_) return;
    if (!DefaultLook()) setFocus();
    setDown(true);
    Refresh();
    dropping_ = true;
    if (OnDropDown) OnDropDown(this);
    const QPoint at = DropDownRight ? QPoint(Width(), DropDownIndent) : QPoint(DropDownIndent, Height());
    // The menu may be gone once its owner's handler ran.
    if (dropDownMenu_ && dropDownMenu_->Items()) dropDownMenu_->Items()->exec(mapToGlobal(at));
    // Clicks that closed the menu are not the button's.
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    dropping_ = false;
    SetDrawnState(0);
    setDown(false);
}

void TVELButton::DeclareProperties(TPropertyList& list)
{
    TVELCustomButton::DeclareProperties(list);
    list.Reference("DropDownMenu", [this] { return dropDownMenu_; },
                   [this](TComponent* v) { SetDropDownMenu(dynamic_cast<TPopupMenu*>(v)); });
    list.Integer("DropDownIndent", [this] { return DropDownIndent; },
                 [this](std::int64_t v) { DropDownIndent = static_cast<int>(v); })
        .Default(0);
    list.Boolean("DropDownRight", [this] { return DropDownRight; }, [this](bool v) { DropDownRight = v; }).Default(0);
}

} // namespace velvane
