#pragma once
// TVELButton: the owner-drawn button the windows use, with an optional
// drop-down menu that a click opens below the button (or at its right edge).

#include "components/controls/VELCustomButton.h"
#include "platform/forms/Menus.h"

namespace velvane {

class TVELButton : public TVELCustomButton {
public:
    explicit TVELButton(TComponent* owner, QWidget* parent = nullptr) : TVELCustomButton(owner, parent) {}
    const char* ClassName() const override { return "TVELButton"; }

    // Forgotten when the menu goes away.
    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* value);
    int DropDownIndent = 0;
    bool DropDownRight = false;
    TNotifyEvent OnDropDown;

    // With a menu: OnClick, then the menu; otherwise a plain click.
    void Click() override;
    // Shows the button pressed while the menu is open.
    void DropDown();
    bool Dropping() const { return dropping_; }

    void DeclareProperties(TPropertyList& list) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TPopupMenu* dropDownMenu_ = nullptr;
    bool dropping_ = false;
};

} // namespace velvane
