#include "platform/net/IPWatch.h"

#include "platform/rtl/AppPaths.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"

#include <QTimer>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>
#include <exception>

namespace velvane {

namespace {

String TimeText(TDateTime when)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDate(when, year, month, day);
    DecodeTime(when, hour, minute, second, msec);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

String AddressOf(const String& line) { return line.substr(0, line.find('\t')); }

} // namespace

std::vector<TNetInterfaceAddress> SystemInterfaceAddresses()
{
    std::vector<TNetInterfaceAddress> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return result;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        result.push_back({a->ifa_name, a->ifa_flags, text});
    }
    freeifaddrs(list);
    return result;
}

TIdIPWatch::TIdIPWatch(TComponent* owner) : TComponent(owner) {}

TIdIPWatch::~TIdIPWatch() = default;

void TIdIPWatch::SetActive(bool active)
{
    if (active == active_) return;
    active_ = active;
    if (!active) {
        timer_.reset();
        return;
    }
    historyLoaded_ = false;
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        // An exception must not cross Qt's event loop; the next check retries.
        try {
            ForceCheck();
        } catch (const std::exception&) {
        }
    });
    timer_->start(WatchInterval > 0 ? WatchInterval : 1);
    ForceCheck();
}

bool TIdIPWatch::IsOnline()
{
    ForceCheck();
    return online_;
}

String TIdIPWatch::CurrentIP()
{
    ForceCheck();
    return currentIP_;
}

void TIdIPWatch::ForceCheck()
{
    String found;
    for (const auto& a : InterfaceSource ? InterfaceSource() : std::vector<TNetInterfaceAddress>()) {
        if ((a.Flags & IFF_UP) && !(a.Flags & IFF_LOOPBACK) && !a.Address.empty()) {
            found = a.Address;
            break;
        }
    }
    const bool online = !found.empty();
    const bool changed = !checked_ || online != online_ || found != currentIP_;
    checked_ = true;
    if (found != currentIP_ && !currentIP_.empty()) previousIP_ = currentIP_;
    online_ = online;
    currentIP_ = found;
    // The change is told before the history is written: a history that
    // cannot be written must not hide it.
    if (changed && OnStatusChanged) OnStatusChanged(EventSender);
    if (!online) return;
    // The history is a record, not the answer: a folder that is full or read
    // only is told once (until a write works again) and the check goes on.
    try {
        Record(found);
    } catch (const Exception& e) {
        if (historyFailing_) return;
        historyFailing_ = true;
        if (OnHistoryError) OnHistoryError(EventSender, e);
    }
}

String TIdIPWatch::HistoryPath() const
{
    if (HistoryFilename.find('/') != String::npos) return HistoryFilename;
    return GetAppFilePath() + HistoryFilename;
}

void TIdIPWatch::LoadHistory()
{
    historyLoaded_ = true;
    history_.clear();
    if (!HistoryEnabled || HistoryFilename.empty()) return;
    const String path = HistoryPath();
    if (!FileExists(path)) return;
    String bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (...) {
        historyLoaded_ = false;  // never write over a history we could not read
        throw;
    }
    history_ = ParseIPHistory(bytes);
}

std::vector<String> ParseIPHistory(const String& bytes)
{
    std::vector<String> history;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == String::npos) end = bytes.size();
        String line = bytes.substr(start, end - start);
        // Every carriage return at the end goes, or an entry ending in one
        // would read back shorter once written.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) history.push_back(line);
        start = end + 1;
    }
    return history;
}

// Appends the address when it differs from the newest entry.
void TIdIPWatch::Record(const String& address)
{
    if (!HistoryEnabled || HistoryFilename.empty()) return;
    if (!historyLoaded_) LoadHistory();
    if (!history_.empty() && AddressOf(history_.back()) == address) return;
    history_.push_back(address + "\t" + TimeText(Now()));
    const size_t cap = MaxHistoryEntries > 0 ? static_cast<size_t>(MaxHistoryEntries) : 0;
    if (history_.size() > cap) history_.erase(history_.begin(), history_.end() - static_cast<long>(cap));
    String bytes;
    for (const auto& line : history_) bytes += line + "\n";
    try {
        AtomicWriteFile(HistoryPath(), bytes);
        historyFailing_ = false;
    } catch (...) {
        // Not written: read the file again next time, so the address is
        // recorded once it can be and the history on disk is never lost.
        historyLoaded_ = false;
        throw;
    }
}

} // namespace velvane
