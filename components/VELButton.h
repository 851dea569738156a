#pragma once
// TVELButton: the owner-drawn button the windows use, with an optional
// drop-down menu that a click opens below the button (or at its right edge).

#include "components/VELCustomButton.h"

#include <QMenu>
#include <QPointer>

namespace velvane {

class TVELButton : public TVELCustomButton {
public:
    explicit TVELButton(TComponent* owner, QWidget* parent = nullptr) : TVELCustomButton(owner, parent) {}
    const char* ClassName() const override { return "TVELButton"; }

    // Forgotten when the menu goes away.
    QMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(QMenu* value) { dropDownMenu_ = value; }
    int DropDownIndent = 0;
    bool DropDownRight = false;
    TNotifyEvent OnDropDown;

    // With a menu: OnClick, then the menu; otherwise a plain click.
    void Click() override;
    // Shows the button pressed while the menu is open.
    void DropDown();
    bool Dropping() const { return dropping_; }

    void DeclareProperties(TPropertyList& list) override;

private:
    QPointer<QMenu> dropDownMenu_;
    bool dropping_ = false;
};

} // namespace velvane
