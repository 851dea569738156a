#pragma once
// TIdIPWatch: whether the machine has a network address, and which.
//
// Online means some interface that is up and not loopback has an IPv4
// address; the first such address is the current one. IsOnline and
// CurrentIP check afresh each time they are asked; while active a timer also
// checks every WatchInterval ms when the thread that activated it runs a Qt
// event loop. Each check that finds a new current address appends it, with
// the time, to the history file; a change of online state or address fires
// OnStatusChanged. The history file is written whole (temporary name, then
// rename); a history that cannot be read or written leaves the answer as it
// is and fires OnHistoryError once, until a write works again.

#include "platform/classes/Component.h"
#include "platform/rtl/Exceptions.h"

#include <functional>
#include <memory>
#include <vector>

class QObject;
class QTimer;

namespace velvane {

// One IPv4 address of one interface; Flags are the IFF_* bits.
struct TNetInterfaceAddress {
    String Name;
    unsigned Flags = 0;
    String Address;
};
using TNetInterfaceSource = std::function<std::vector<TNetInterfaceAddress>()>;
// The machine's IPv4 addresses through getifaddrs.
std::vector<TNetInterfaceAddress> SystemInterfaceAddresses();

// The entries of a history file's bytes: its lines, without line ends and
// empty lines. Any bytes are safe to give.
std::vector<String> ParseIPHistory(const String& bytes);

using TIdIPWatchEvent = std::function<void(QObject* sender)>;
using TIdHistoryErrorEvent = std::function<void(QObject* sender, const Exception& e)>;

class TIdIPWatch : public TComponent {
public:
    explicit TIdIPWatch(TComponent* owner);
    ~TIdIPWatch() override;

    const char* ClassName() const override { return "TIdIPWatch"; }

    bool Active() const { return active_; }
    // Activating checks at once; the history file is read anew before the
    // first entry after activation.
    void SetActive(bool active);

    bool IsOnline();
    // The current address, "" when offline.
    String CurrentIP();
    // The address before the last change, "" before any change.
    const String& PreviousIP() const { return previousIP_; }
    // Checks now, as the timer does.
    void ForceCheck();

    // A name without a folder lives in the program folder.
    String HistoryFilename = "iphist.dat";
    bool HistoryEnabled = true;
    int MaxHistoryEntries = 25;
    // Lines "address<TAB>yyyy-mm-dd hh:nn:ss", newest last.
    const std::vector<String>& IPHistoryList() const { return history_; }
    // Milliseconds between the timer's checks.
    int WatchInterval = 1000;

    // Where addresses come from; the system's by default.
    TNetInterfaceSource InterfaceSource = SystemInterfaceAddresses;

    QObject* EventSender = nullptr;
    TIdIPWatchEvent OnStatusChanged;
    TIdHistoryErrorEvent OnHistoryError;

private:
    String HistoryPath() const;
    void LoadHistory();
    void Record(const String& address);

    bool active_ = false;
    bool checked_ = false;
    bool historyLoaded_ = false;
    bool online_ = false;
    bool historyFailing_ = false;
    String currentIP_;
    String previousIP_;
    std::vector<String> history_;
    std::unique_ptr<QTimer> timer_;
};

} // namespace velvane
