#include "platform/win/ShellNotify.h"

#include "platform/rtl/LegacyText.h"
#include "platform/win/WindowRecords.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace velvane {

namespace {

const QEvent::Type kMouseAction = static_cast<QEvent::Type>(QEvent::registerEventType());

struct MouseAction : QEvent {
    MouseAction(UINT c, QPoint p) : QEvent(kMouseAction), code(c), at(p) {}
    UINT code;
    QPoint at;
};

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

QIcon IconFor(HICON icon)
{
    QImage image = IconImage(icon);
    // Qt refuses to show an icon without a picture: a blank one stands in.
    if (image.isNull()) {
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return QIcon(QPixmap::fromImage(image));
}

QString TipText(const char (&tip)[64])
{
    return QString::fromStdString(LegacyTextToUtf8(std::string_view(tip, strnlen(tip, sizeof tip))));
}

// One icon in the area. Its mouse actions come from the widget Qt docks in an
// X11 area (found among the top-level widgets once shown); through another
// kind of area, from Qt's activation signal.
class TrayEntry : public QObject {
public:
    TrayEntry(HWND window, UINT id) : window_(window), id_(id)
    {
        connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (widget_) return;
            const QPoint at = QCursor::pos();
            switch (reason) {
            case QSystemTrayIcon::Trigger: Queue(WM_LBUTTONDOWN, at), Queue(WM_LBUTTONUP, at); break;
            case QSystemTrayIcon::DoubleClick: Queue(WM_LBUTTONDBLCLK, at), Queue(WM_LBUTTONUP, at); break;
            case QSystemTrayIcon::Context: Queue(WM_RBUTTONDOWN, at), Queue(WM_RBUTTONUP, at); break;
            case QSystemTrayIcon::MiddleClick: Queue(WM_MBUTTONDOWN, at), Queue(WM_MBUTTONUP, at); break;
            default: break;
            }
        });
    }
    ~TrayEntry() override
    {
        if (widget_) widget_->removeEventFilter(this);
    }

    void Apply(const NOTIFYICONDATAA& data)
    {
        if (data.uFlags & NIF_MESSAGE) callback_ = data.uCallbackMessage;
        if (data.uFlags & NIF_ICON) icon_.setIcon(IconFor(data.hIcon));
        if (data.uFlags & NIF_TIP) icon_.setToolTip(TipText(data.szTip));
        if (icon_.icon().isNull()) icon_.setIcon(IconFor(0));
    }
    void Show() { icon_.show(); }
    void Remove()
    {
        icon_.hide();
        removed_ = true;
        // It may be the entry whose callback is running now.
        deleteLater();
    }
    HWND Window() const { return window_; }
    const QSystemTrayIcon& Icon() const { return icon_; }
    bool Docked() const { return widget_ && widget_->isVisible(); }
    QWidget* DockedWidget() const { return widget_; }
    bool HasWidget() const { return widget_ != nullptr; }
    void Claim(QWidget* widget)
    {
        widget_ = widget;
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != widget_) return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            Queue(MouseCode(event->type(), mouse->button()), mouse->globalPosition().toPoint());
            // The icon's own handling (Qt's menu, activation) stays out.
            return event->type() != QEvent::MouseMove;
        }
        default: return false;
        }
    }
    bool event(QEvent* event) override
    {
        if (event->type() != kMouseAction) return QObject::event(event);
        if (removed_ || !callback_) return true;
        auto* action = static_cast<MouseAction*>(event);
        win::MessagePosition position(TPoint{action->at.x(), action->at.y()});
        SendMessageA(window_, callback_, id_, static_cast<LPARAM>(action->code));
        return true;
    }

private:
    void Queue(UINT code, QPoint at) { QCoreApplication::postEvent(this, new MouseAction(code, at)); }

    HWND window_;
    UINT id_;
    UINT callback_ = 0;
    bool removed_ = false;
    QSystemTrayIcon icon_;
    QPointer<QWidget> widget_;
};

// The icons, and the watch that tells their windows when the area comes or
// goes and finds the widgets Qt docks. It learns of changes from the X
// server's own events, as Qt's X11 tray does (the area's manager announcing
// itself on the root window, its window destroyed), and from the D-Bus tray
// host's name changing owner: nothing runs while nothing changes.
class Area : public QObject {
public:
    std::map<std::pair<HWND, UINT>, QPointer<TrayEntry>> entries;

    void Watch()
    {
        if (watching_) return;
        watching_ = true;
        available_ = QSystemTrayIcon::isSystemTrayAvailable();
        // Queued, so that Qt has made its own widgets again by then; a
        // single-shot timer's start is a slot that takes no moc.
        changed_.setSingleShot(true);
        changed_.setInterval(0);
        connect(&changed_, &QTimer::timeout, this, [this] { Changed(); });
        QObject* native = QGuiApplication::platformNativeInterface();
        if (native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0)
            connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), &changed_, SLOT(start()), Qt::QueuedConnection);
        // Qt's own check for a D-Bus tray connects to the session bus anyway.
        if (QDBusConnection bus = QDBusConnection::sessionBus(); bus.isConnected()) {
            auto* host = new QDBusServiceWatcher("org.kde.StatusNotifierWatcher", bus,
                                                 QDBusServiceWatcher::WatchForOwnerChange, this);
            connect(host, &QDBusServiceWatcher::serviceOwnerChanged, &changed_, qOverload<>(&QTimer::start),
                    Qt::QueuedConnection);
        }
    }
    void Changed()
    {
        Prune();
        ClaimWidgets();
        const bool now = QSystemTrayIcon::isSystemTrayAvailable();
        if (now == available_) return;
        available_ = now;
        for (const auto& [key, entry] : entries)
            if (entry) PostMessageA(key.first, WM_NOTIFYAREACHANGED, now ? 1 : 0, 0);
    }
    // The widgets Qt made for our icons that no entry holds yet; a widget
    // Qt makes again after the area came back is taken by the entry that
    // lost its own.
    void ClaimWidgets()
    {
        Prune();
        std::vector<QWidget*> held;
        for (const auto& [key, entry] : entries)
            if (entry && entry->HasWidget()) held.push_back(entry->DockedWidget());
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->inherits("QSystemTrayIconSys") || std::find(held.begin(), held.end(), widget) != held.end())
                continue;
            for (const auto& [key, entry] : entries) {
                if (entry && !entry->HasWidget()) {
                    entry->Claim(widget);
                    break;
                }
            }
        }
    }
    void Prune()
    {
        std::erase_if(entries, [](const auto& item) { return !item.second; });
    }

private:
    QTimer changed_;
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

bool NotifyAreaAvailable()
{
    return QCoreApplication::instance() && QSystemTrayIcon::isSystemTrayAvailable();
}

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
    return entry ? entry->Icon().toolTip() : QString();
}

QImage NotifyIconPicture(HWND window, UINT id)
{
    TrayEntry* entry = FindEntry(window, id);
    return entry ? entry->Icon().icon().pixmap(16, 16).toImage() : QImage();
}

} // namespace velvane
