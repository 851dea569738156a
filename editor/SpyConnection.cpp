#include "editor/SpyConnection.h"

#include "editor/Main.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"

namespace velvane {

TSpyConnection::TSpyConnection(TMainForm* form) : TThread(true), form_(form)
{
    // Closing the window ends the pause at once.
    Pause = [this](int milliseconds) { PauseUnlessTerminated(milliseconds); };
}

TSpyConnection::~TSpyConnection()
{
    Terminate();
    if (!Suspended()) WaitFor();
}

void TSpyConnection::Pass()
{
    TMainForm& f = *form_;
    if (f.NetConnection->Busy || f.WallPaper->Busy || f.Busy) return;
    Synchronize([&f] { f.CheckConnection(); });
    if (Online) {
        Synchronize([&f] { f.UpDateStatusBar(); });
        if (!f.NetConnection->SettingsLoaded) Synchronize([&f] { f.NetConnection->Execute(); });
    } else if (f.NetConnection->SettingsLoaded) {
        Synchronize([&f] { f.NetConnection->SetOffLine(); });
    }
    Synchronize([&f] { f.UpDateStatusBar(); });
}

void TSpyConnection::Execute()
{
    while (!Terminated()) {
        try {
            Pass();
        } catch (...) {
            // A failed pass counts as offline; the pause still follows, so it
            // is not repeated at once.
            Online = false;
        }
        Pause(3000);
    }
}

} // namespace velvane
