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

bool TSpyConnection::JobRunning() const
{
    const TMainForm& f = *form_;
    return f.NetConnection->Busy || f.WallPaper->Busy || f.Busy;
}

void TSpyConnection::Pass()
{
    TMainForm& f = *form_;
    // A job started since the thread looked serves the window's messages
    // while it transfers: the connection is not set up again under it.
    // A window that closes ends the pass between steps: a settings download
    // begun from inside the close's wait could hold the close for as long as
    // a server keeps silent.
    if (JobRunning()) return;
    try {
        f.CheckConnection();
        if (Terminated()) return;
        if (Online) {
            f.UpDateStatusBar();
            if (!f.NetConnection->SettingsLoaded) {
                if (Terminated()) return;
                // A settings file that is missing or fails to come says
                // nothing about the connection: only the check decides
                // whether the PC is online.
                try {
                    f.NetConnection->Execute();
                } catch (...) {
                }
            }
        } else if (f.NetConnection->SettingsLoaded) {
            f.NetConnection->SetOffLine();
        }
        if (!Terminated()) f.UpDateStatusBar();
    } catch (...) {
        // A failed pass counts as offline; the pause still follows, so it is
        // not repeated at once.
        Online = false;
    }
}

void TSpyConnection::Execute()
{
    while (!Terminated()) {
        if (JobRunning())
            Pause(3000);
        else
            SynchronizeAndPause([this] { Pass(); }, Pause, 3000);
    }
}

} // namespace velvane
