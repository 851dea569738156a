#include "platform/desktop/NotifyArea.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <utility>

namespace velvane {

namespace {

const QEvent::Type kMouseAction = static_cast<QEvent::Type>(QEvent::registerEventType());

struct QueuedMouseAction : QEvent {
    QueuedMouseAction(QEvent::Type t, Qt::MouseButton b, QPoint p) : QEvent(kMouseAction), type(t), button(b), at(p)
    {
    }
    QEvent::Type type;
    Qt::MouseButton button;
    QPoint at;
};

QIcon IconFor(QImage image)
{
    if (image.isNull()) {
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

NotifyAreaIcon::NotifyAreaIcon()
{
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (widget_) return;
        const QPoint at = QCursor::pos();
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            Queue(QEvent::MouseButtonPress, Qt::LeftButton, at), Queue(QEvent::MouseButtonRelease, Qt::LeftButton, at);
            break;
        case QSystemTrayIcon::DoubleClick:
            Queue(QEvent::MouseButtonDblClick, Qt::LeftButton, at),
                Queue(QEvent::MouseButtonRelease, Qt::LeftButton, at);
            break;
        case QSystemTrayIcon::Context:
            Queue(QEvent::MouseButtonPress, Qt::RightButton, at),
                Queue(QEvent::MouseButtonRelease, Qt::RightButton, at);
            break;
        case QSystemTrayIcon::MiddleClick:
            Queue(QEvent::MouseButtonPress, Qt::MiddleButton, at),
                Queue(QEvent::MouseButtonRelease, Qt::MiddleButton, at);
            break;
        default: break;
        }
    });
}

NotifyAreaIcon::~NotifyAreaIcon()
{
    if (widget_) widget_->removeEventFilter(this);
}

void NotifyAreaIcon::SetPicture(QImage picture) { icon_.setIcon(IconFor(std::move(picture))); }

void NotifyAreaIcon::SetTip(const QString& tip) { icon_.setToolTip(tip); }

void NotifyAreaIcon::Show()
{
    if (icon_.icon().isNull()) icon_.setIcon(IconFor(QImage()));
    icon_.show();
}

void NotifyAreaIcon::Remove()
{
    icon_.hide();
    removed_ = true;
    deleteLater();
}

QString NotifyAreaIcon::Tip() const { return icon_.toolTip(); }

QImage NotifyAreaIcon::Picture() const { return icon_.icon().pixmap(16, 16).toImage(); }

bool NotifyAreaIcon::Docked() const { return widget_ && widget_->isVisible(); }

QWidget* NotifyAreaIcon::DockedWidget() const { return widget_; }

bool NotifyAreaIcon::HasWidget() const { return widget_ != nullptr; }

void NotifyAreaIcon::Claim(QWidget* widget)
{
    widget_ = widget;
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool NotifyAreaIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != widget_) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        Queue(event->type(), mouse->button(), mouse->globalPosition().toPoint());
        // The icon's own handling (Qt's menu, activation) stays out.
        return event->type() != QEvent::MouseMove;
    }
    default: return false;
    }
}

bool NotifyAreaIcon::event(QEvent* event)
{
    if (event->type() != kMouseAction) return QObject::event(event);
    if (removed_) return true;
    auto* action = static_cast<QueuedMouseAction*>(event);
    MouseAction(action->type, action->button, action->at);
    return true;
}

void NotifyAreaIcon::Queue(QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    QCoreApplication::postEvent(this, new QueuedMouseAction(type, button, at));
}

void ClaimDockedWidgets(const std::vector<NotifyAreaIcon*>& icons)
{
    std::vector<QWidget*> held;
    for (NotifyAreaIcon* icon : icons)
        if (icon->HasWidget()) held.push_back(icon->DockedWidget());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->inherits("QSystemTrayIconSys") || std::find(held.begin(), held.end(), widget) != held.end())
            continue;
        for (NotifyAreaIcon* icon : icons) {
            if (!icon->HasWidget()) {
                icon->Claim(widget);
                break;
            }
        }
    }
}

bool NotifyAreaPresent() { return QSystemTrayIcon::isSystemTrayAvailable(); }

NotifyAreaWatch::NotifyAreaWatch(std::function<void()> changed)
{
    // A single-shot timer's start is a slot that takes no moc.
    changed_.setSingleShot(true);
    changed_.setInterval(0);
    connect(&changed_, &QTimer::timeout, this, std::move(changed));
}

void NotifyAreaWatch::Start()
{
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

} // namespace velvane
