// The window's icon in the notification area: made active as the window is
// built, before its creation handler runs, so the window starts hidden there.

#include "agent/MainService.h"

#include "components/controls/VELTrayIcon.h"

namespace velvane::agent {

namespace {

#include "resources/agent/TrayIcon.xpm"

} // namespace

void TMainForm::CreateTrayIcon()
{
    TrayIcon = new TVELTrayIcon(this);
    TrayIcon->SetName("TrayIcon");
    // As stored with the window: the properties first, activation once they
    // are all in place.
    TrayIcon->BeginLoading();
    TIcon icon;
    icon.SetImage(QImage(TrayIcon_xpm));
    TrayIcon->SetIcon(icon);
    TrayIcon->NoClose = true;
    TrayIcon->ShowMinimizedIcon = true;
    TrayIcon->SetPopupMenu(Popup);
    TrayIcon->Interval = 500;
    TrayIcon->OnDblClick = [this](TPersistent*) { RestaurarClick(nullptr); };
    LoadedComponents(TrayIcon);
}

bool TMainForm::TrayDocked() const { return TrayIcon && TrayIcon->Docked(); }

} // namespace velvane::agent
