#include "platform/forms/Menus.h"

#include <QMenu>

namespace velvane {

TPopupMenu::TPopupMenu(TComponent* owner, QWidget* parent) : TComponent(owner), menu_(new QMenu(parent)) {}

TPopupMenu::~TPopupMenu()
{
    // A menu its parent widget has taken along is gone already.
    delete menu_.data();
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup) OnPopup(menu_);
    if (menu_) menu_->popup(QPoint(x, y));
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == PopupComponent) PopupComponent = nullptr;
}

} // namespace velvane
