#pragma once
// TDialUp: the dial-up monitor. It asks the Remote Access Service which
// connections are active, reports each through OnActiveConnection with a
// status text, and looks up the PPP addresses of one connection. It never
// dials or hangs up. Main thread only.
//
// The RAS library is bound at the first RAS call, not at creation: first
// "rasapi32.dll", else "rnaph.dll"; a missing library or function raises
// Exception from whichever call made that first RAS call.

#include "platform/classes/Component.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Ras.h"

#include <functional>
#include <memory>
#include <span>

namespace velvane {

enum class TDialMode { dmAsync, dmSync };
enum class TLanguage { English, Czech, Portuguese };

using TRasConnStatusA = RASCONNSTATUSA;

using TOnEntryGet = std::function<void(TComponent* sender, std::span<const char> entryName)>;
using TStandartEv = std::function<void(TComponent* sender)>;
using TOnNotConn = std::function<void(TComponent* sender, int errorCode, const String& errorMessage)>;
using TOnAsyncEvent = std::function<void(TComponent* sender, int state, int error, const String& messageText)>;
using TOnError = std::function<void(TComponent* sender, int errorCode, const String& errorMessage)>;
// The three character arrays come at their full record lengths (257, 17 and
// 129), NUL-padded.
using TOnActiveConn = std::function<void(TComponent* sender, int handle, const TRasConnStatusA& status,
                                         const String& statusString, std::span<const char> entryName,
                                         std::span<const char> deviceType, std::span<const char> deviceName)>;

class TDialUp : public TComponent {
public:
    explicit TDialUp(TComponent* owner);
    ~TDialUp() override;

    const char* ClassName() const override { return "TDialUp"; }

    // Fires OnActiveConnection for each active connection, in the service's
    // order. Returns 0, or the enumeration's error (then nothing fires).
    int GetActiveConnections();
    // ClientIP and ServerIP from the PPP projection of one connection; both ""
    // unless it succeeds. Returns 0 for handle 0, else the service's result.
    int GetConnectionIP(int handle);

    // Stored only.
    TDialMode DialMode = TDialMode::dmAsync;
    String Entry;
    String DUNA_Key;
    // Picks the status-text table.
    TLanguage Language = TLanguage::English;

    // Never filled.
    TStringList* Entries() const { return entries_.get(); }
    // Of the last projection asked for, "" when none.
    const String& ServerIP() const { return serverIP_; }
    const String& ClientIP() const { return clientIP_; }
    // Dial-up adapters of the Windows 9x family: empty here.
    TStringList* DUNA() const { return duna_.get(); }
    DWORD BytesXmit() const { return 0; }
    DWORD BytesRecv() const { return 0; }
    DWORD ConnectionSpeed() const { return 0; }

    TOnEntryGet OnEntryGet;       // never fired
    TStandartEv OnDialing;        // never fired
    TStandartEv OnConnect;        // never fired
    TOnNotConn OnNotConnected;    // never fired
    TOnAsyncEvent OnAsyncEvent;   // fired by AsyncTimer for a pending dial state
    TOnError OnError;             // never fired
    TOnActiveConn OnActiveConnection;

protected:
    // Tick of the private timer: reports a pending dial state once.
    virtual void AsyncTimer(TComponent* sender);

private:
    String GetStatusText(int state, int error) const;
    bool ReadDUNA();

    std::unique_ptr<TStringList> entries_;
    std::unique_ptr<TStringList> duna_;
    String serverIP_;
    String clientIP_;
    // The private 1 ms timer. Nothing here dials, so nothing arms it or sets
    // the pending state; it is kept as a flag, not as a live timer.
    bool timerEnabled_ = false;
    bool asyncPending_ = false;
    int asyncState_ = 0;
    int asyncError_ = 0;
};

// The entry address of a RAS function; raises Exception "Error opening
// rasapi.dll", "Error opening rnaph.dll" or "Function <name> not found!".
FARPROC GetRasProc(const String& name);
// Lets go of the bound RAS library, so that the next RAS call binds afresh.
void ReleaseRasLibrary();

// Call through GetRasProc on every call, arguments unchanged.
DWORD RasEnumConnectionsA(RASCONNA* connections, DWORD* bufferSize, DWORD* count);
DWORD RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status);
DWORD RasGetErrorStringA(UINT error, char* buffer, DWORD bufferSize);
DWORD RasGetProjectionInfoA(HRASCONN connection, RASPROJECTION projection, void* buffer, DWORD* bufferSize);

} // namespace velvane
