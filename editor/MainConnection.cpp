// The editor's side of the connection check: its components, the watch
// thread's status texts and the settings command.

#include "editor/Main.h"

#include "dialup/Connection.h"
#include "dialup/DialUp.h"
#include "editor/NetConnection.h"

namespace velvane {

void TMainForm::CheckConnection() { connection_->CheckConnection(); }

void TMainForm::SetConnection() { connection_->SetConnection(); }

void TMainForm::ProxyIEKey() { connection_->ProxyIEKey(); }

void TMainForm::DialUpActiveConnection(int handle) { connection_->DialUpActiveConnection(handle); }

void TMainForm::UpDateStatusBar()
{
    StatusBar->SetPanel(0, Msg(Online ? 3 : 6));
    StatusBar->SetPanel(1, String());
}

void TMainForm::StatusBarClick(QObject*) { StatusBar->SetPanel(1, String()); }

} // namespace velvane
