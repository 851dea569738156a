#include "platform/win/ShellNotify.h"

#include "platform/desktop/NotifyArea.h"
#include "platform/rtl/LegacyText.h"
#include "platform/win/WindowRecords.h"

#include <QCoreApplication>
#include <QEvent>

#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace velvane {

namespace {

UINT MouseCode(QEvent::Type type, Qt::MouseButton button)
{
    const int column = button == Qt::RightButton ? 3 : button == Qt::MiddleButton ? 6 : 0;
    switch (type) {
    case QEvent::MouseButtonPress: return WM_LBUTTONDOWN + column;
    case QEvent::MouseButtonRelease: return WM_LBUTTONUP + column;
    case QEvent::MouseButtonDblClick: return WM_LBUTTONDBLCLK + column;
    default: return WM_MOUSEMOVE;
    }
}

QString TipText(const char (&tip)[64])
{
    return QString::fromStdString(LegacyTextToUtf8(std::string_view(tip, strnlen(tip, sizeof tip))));
}

// One icon, whose mouse actions go to its window as the callback message.
class TrayEntry : public NotifyAreaIcon {
public:
    TrayEntry(HWND window, UINT id) : window_(window), id_(id) {}

    void Apply(const NOTIFYICONDATAA& data)
    {
        if (data.uFlags & NIF_MESSAGE) callback_ = data.uCallbackMessage;
        if (data.uFlags & NIF_ICON) SetPicture(IconImage(data.hIcon));
        if (data.uFlags & NIF_TIP) SetTip(TipText(data.szTip));
    }

protected:
    void MouseAction(QEvent::Type type, Qt::MouseButton button, QPoint at) override
    {
        if (!callback_) return;
        win::MessagePosition position(TPoint{at.x(), at.y()});
        SendMessageA(window_, callback_, id_, static_cast<LPARAM>(MouseCode(type, button)));
    }

private:
    HWND window_;
    UINT id_;
    UINT callback_ = 0;
};

// The icons, and what their windows are told when the area comes or goes.
class Area : public QObject {
public:
    std::map<std::pair<HWND, UINT>, QPointer<TrayEntry>> entries;

    void Watch()
    {
        if (watching_) return;
        watching_ = true;
        available_ = NotifyAreaPresent();
        watch_.Start();
    }
    void Changed()
    {
        Prune();
        ClaimWidgets();
        const bool now = NotifyAreaPresent();
        if (now == available_) return;
        available_ = now;
        for (const auto& [key, entry] : entries)
            if (entry) PostMessageA(key.first, WM_NOTIFYAREACHANGED, now ? 1 : 0, 0);
    }
    void ClaimWidgets()
    {
        Prune();
        std::vector<NotifyAreaIcon*> icons;
        for (const auto& [key, entry] : entries)
            if (entry) icons.push_back(entry);
        ClaimDockedWidgets(icons);
    }
    void Prune()
    {
        std::erase_if(entries, [](const auto& item) { return !item.second; });
    }

private:
    NotifyAreaWatch watch_{[this] { Changed(); }};
    bool watching_ = false;
    bool available_ = false;
};

Area& TheArea()
{
    static auto* area = new Area;  // lives as long as the QApplication's thread
    return *area;
}

} // namespace

BOOL Shell_NotifyIconA(DWORD message, const NOTIFYICONDATAA* data)
{
    if (!data || data->cbSize != sizeof(NOTIFYICONDATAA) || !QCoreApplication::instance()) return FALSE;
    Area& area = TheArea();
    area.Prune();
    const HWND window = WindowFromHandleValue(data->hWnd);
    const auto key = std::make_pair(window, data->uID);
    auto it = area.entries.find(key);
    switch (message) {
    case NIM_ADD: {
        if (it != area.entries.end() || !IsWindow(window)) return FALSE;
        auto* entry = new TrayEntry(window, data->uID);
        entry->setParent(&area);
        entry->Apply(*data);
        area.entries.emplace(key, entry);
        entry->Show();
        area.ClaimWidgets();
        area.Watch();
        return TRUE;
    }
    case NIM_MODIFY:
        if (it == area.entries.end()) return FALSE;
        it->second->Apply(*data);
        return TRUE;
    case NIM_DELETE:
        if (it == area.entries.end()) return FALSE;
        it->second->Remove();
        area.entries.erase(it);
        return TRUE;
    default: return FALSE;
    }
}

bool NotifyAreaAvailable() { return QCoreApplication::instance() && NotifyAreaPresent(); }

namespace {

TrayEntry* FindEntry(HWND window, UINT id)
{
    Area& area = TheArea();
    auto it = area.entries.find({window, id});
    return it == area.entries.end() ? nullptr : it->second.data();
}

} // namespace

std::uintptr_t NotifyIconNativeWindow(HWND window, UINT id)
{
    TrayEntry* entry = FindEntry(window, id);
    return entry && entry->Docked() ? static_cast<std::uintptr_t>(entry->DockedWidget()->winId()) : 0;
}

QString NotifyIconTip(HWND window, UINT id)
{
    TrayEntry* entry = FindEntry(window, id);
    return entry ? entry->Tip() : QString();
}

QImage NotifyIconPicture(HWND window, UINT id)
{
    TrayEntry* entry = FindEntry(window, id);
    return entry ? entry->Picture() : QImage();
}

} // namespace velvane
