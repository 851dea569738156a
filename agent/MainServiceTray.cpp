// The window's place in the notification area. There is no tray icon
// component yet, so the window has no icon: it stays on the screen and the
// tip is only kept.

#include "agent/MainService.h"

namespace velvane::agent {

void TMainForm::CreateTrayIcon() {}

void TMainForm::SetTrayHint(const String& hint) { TrayHint = hint; }

bool TMainForm::TrayDocked() const { return false; }

} // namespace velvane::agent
