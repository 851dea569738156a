#pragma once
// TPopupMenu: a menu component over a QMenu, shown where it is asked to
// (a tray icon pops it up at the mouse).

#include "platform/classes/Component.h"

#include <QMenu>
#include <QPointer>

#include <functional>

class QWidget;

namespace velvane {

class TPopupMenu : public TComponent {
public:
    // The menu's widget is a child of parent when one is given.
    explicit TPopupMenu(TComponent* owner, QWidget* parent = nullptr);
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    // The items: the menu's actions.
    QMenu* Items() const { return menu_; }
    // The component that popped the menu up last.
    TComponent* PopupComponent = nullptr;
    // Called before the menu shows.
    std::function<void(QObject* sender)> OnPopup;

    // Shows the menu with its top left corner at the screen point (x, y)
    // and returns at once; the chosen item's action is triggered.
    void Popup(int x, int y);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    QPointer<QMenu> menu_;
};

} // namespace velvane
