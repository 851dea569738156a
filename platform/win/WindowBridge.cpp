#include "platform/win/WindowBridge.h"

#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowRecords.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindowStateChangeEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace velvane::win {

namespace {

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
    PostedMessage(UINT m, WPARAM w, LPARAM l) : QEvent(kPostedMessage), message(m), wParam(w), lParam(l) {}
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

WPARAM SizeKind(const QWidget* widget)
{
    // A minimized window that was maximized reports both; minimized wins.
    if (widget->isMinimized()) return SIZE_MINIMIZED;
    if (widget->isMaximized()) return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

UINT MouseMessage(QEvent::Type type, Qt::MouseButton button)
{
    const bool right = button == Qt::RightButton;
    switch (type) {
    case QEvent::MouseButtonPress: return right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    case QEvent::MouseButtonRelease: return right ? WM_RBUTTONUP : WM_LBUTTONUP;
    case QEvent::MouseButtonDblClick: return right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    default: return WM_MOUSEMOVE;
    }
}

} // namespace

WindowBridge::WindowBridge(HWND window, QWidget* widget) : window_(window), widget_(widget)
{
    if (QCoreApplication* app = QCoreApplication::instance()) moveToThread(app->thread());
    if (!widget) return;
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this] {
        Busy busy(this);
        // The widget is half gone: the window must not touch it any more.
        if (auto record = FindRecord(window_)) record->widget = nullptr;
        widget_ = nullptr;
        DestroyWindow(window_);
    });
}

WindowBridge::~WindowBridge() = default;

void WindowBridge::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    QCoreApplication::postEvent(this, new PostedMessage(message, wParam, lParam));
}

void WindowBridge::StartTimer(UINT_PTR id, UINT elapse)
{
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] {
            Busy busy(this);
            if (!detached_) Send(WM_TIMER, id);
        });
    }
    // The system does not time shorter than this either.
    timer->start(static_cast<int>(std::max<UINT>(elapse, 10)));
}

bool WindowBridge::StopTimer(UINT_PTR id)
{
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    QTimer* timer = it->second;
    timers_.erase(it);
    timer->stop();
    // It may be the timer whose tick is being handled.
    if (busy_) timer->deleteLater();
    else delete timer;
    return true;
}

void WindowBridge::Detach()
{
    if (detached_) return;
    detached_ = true;
    for (auto& [id, timer] : timers_) timer->stop();
    timers_.clear();   // children: they go with the bridge
    if (widget_) {
        widget_->removeEventFilter(this);
        disconnect(widget_, nullptr, this, nullptr);
    }
    if (busy_) deleteLater();
    else delete this;
}

LRESULT WindowBridge::Send(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Deliver(window_, message, wParam, lParam);
}

bool WindowBridge::event(QEvent* event)
{
    if (event->type() != kPostedMessage) return QObject::event(event);
    Busy busy(this);
    // A message posted to a window that has gone since is dropped.
    if (!detached_) {
        auto* posted = static_cast<PostedMessage*>(event);
        Send(posted->message, posted->wParam, posted->lParam);
    }
    return true;
}

bool WindowBridge::eventFilter(QObject* watched, QEvent* event)
{
    if (detached_ || watched != widget_) return false;
    Busy busy(this);
    return Filter(event);
}

bool WindowBridge::Filter(QEvent* event)
{
    QWidget* widget = widget_;
    switch (event->type()) {
    case QEvent::Close:
        // The procedure decides: the default destroys the window (hiding the
        // widget), a form may hide, free or keep itself instead.
        // The user's close box is a system command first, which a
        // subclassing component may take; the default turns it into WM_CLOSE.
        event->ignore();
        if (event->spontaneous()) Send(WM_SYSCOMMAND, SC_CLOSE);
        else Send(WM_CLOSE);
        return true;
    case QEvent::Show:
        Send(WM_SHOWWINDOW, 1);
        if (widget_ && widget_->isWindow()) ApplyTaskBarState(widget_);
        break;
    case QEvent::Hide: Send(WM_SHOWWINDOW, 0); break;
    case QEvent::Move: {
        const QPoint pos = static_cast<QMoveEvent*>(event)->pos();
        Send(WM_MOVE, 0, MAKELPARAM(pos.x(), pos.y()));
        break;
    }
    case QEvent::Resize: {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        Send(WM_SIZE, SizeKind(widget), MAKELPARAM(size.width(), size.height()));
        break;
    }
    case QEvent::WindowStateChange:
        // The window manager minimized it: the system command comes first,
        // as it would have had the command asked for it.
        if (event->spontaneous() && widget->isMinimized() &&
            !(static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized)) {
            Send(WM_SYSCOMMAND, SC_MINIMIZE);
            if (!widget_) return false;
        }
        Send(WM_SIZE, SizeKind(widget), MAKELPARAM(widget->width(), widget->height()));
        break;
    case QEvent::Paint:
        // Told only; Qt still paints the widget.
        Send(WM_PAINT);
        break;
    case QEvent::KeyRelease:
        Send(WM_KEYUP, static_cast<WPARAM>(VirtualKeyOf(static_cast<QKeyEvent*>(event)->key())));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        Send(MouseMessage(event->type(), mouse->button()), 0, MAKELPARAM(pos.x(), pos.y()));
        break;
    }
    default: break;
    }
    return false;
}

} // namespace velvane::win
