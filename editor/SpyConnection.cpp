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

bool TSpyConnection::Step(const std::function<void()>& call)
{
    // A settings download begun from inside the close's wait could hold the
    // close for as long as a server keeps silent.
    return SynchronizeUnlessTerminated(call);
}

void TSpyConnection::Pass()
{
    TMainForm& f = *form_;
    if (f.NetConnection->Busy || f.WallPaper->Busy || f.Busy) return;
    if (!Step([&f] { f.CheckConnection(); })) return;
    if (Online) {
        if (!Step([&f] { f.UpDateStatusBar(); })) return;
        if (!f.NetConnection->SettingsLoaded && !Download()) return;
    } else if (f.NetConnection->SettingsLoaded) {
        if (!Step([&f] { f.NetConnection->SetOffLine(); })) return;
    }
    Step([&f] { f.UpDateStatusBar(); });
}

bool TSpyConnection::Download()
{
    // A settings file that is missing or fails to come says nothing about
    // the connection: only the check decides whether the PC is online.
    try {
        return Step([this] { form_->NetConnection->Execute(); });
    } catch (...) {
        return true;
    }
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
