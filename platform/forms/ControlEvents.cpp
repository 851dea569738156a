#include "platform/forms/ControlEvents.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace velvane {

bool TKeyPresses::Released(QObject* control, const QKeyEvent* event)
{
    if (event->isAutoRepeat()) return false;
    std::erase_if(down_, [](const auto& entry) { return entry.first.isNull(); });
    const auto it = std::find_if(down_.begin(), down_.end(), [&](const auto& entry) {
        return entry.first == control && entry.second == event->key();
    });
    if (event->type() == QEvent::KeyPress) {
        if (it == down_.end()) down_.emplace_back(control, event->key());
        return false;
    }
    if (event->type() != QEvent::KeyRelease || it == down_.end()) return false;
    // The key is up: also where Qt offered its press on to a parent.
    std::erase_if(down_, [&](const auto& entry) { return entry.second == event->key(); });
    return true;
}

namespace {

class KeyUpFilter : public QObject {
public:
    KeyUpFilter(QWidget* control, TKeyEvent handler) : QObject(control), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        if (!presses_.Released(watched, static_cast<QKeyEvent*>(event))) return false;
        int key = VirtualKeyOf(static_cast<QKeyEvent*>(event)->key());
        handler_(watched, key);
        return key == 0;
    }

private:
    TKeyEvent handler_;
    TKeyPresses presses_;
};

// Calls its handler for one kind of event and lets the event go on.
class EventTap : public QObject {
public:
    EventTap(QWidget* control, std::initializer_list<QEvent::Type> types, TNotifyEvent handler)
        : QObject(control), types_(types), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        for (QEvent::Type type : types_) {
            if (event->type() != type) continue;
            // The handler may free the control, and this filter with it.
            handler_(watched);
            return false;
        }
        return false;
    }

private:
    std::vector<QEvent::Type> types_;
    TNotifyEvent handler_;
};

} // namespace

void SetOnEnter(QWidget* control, TNotifyEvent handler)
{
    control->installEventFilter(new EventTap(control, {QEvent::FocusIn}, std::move(handler)));
}

void SetOnClick(QWidget* control, TNotifyEvent handler)
{
    control->installEventFilter(new EventTap(control, {QEvent::MouseButtonRelease}, std::move(handler)));
}

void SetOnMouseMove(QWidget* control, TNotifyEvent handler)
{
    control->setMouseTracking(true);
    control->installEventFilter(new EventTap(control, {QEvent::Enter, QEvent::MouseMove}, std::move(handler)));
}

void SetOnKeyUp(QWidget* control, TKeyEvent handler)
{
    control->installEventFilter(new KeyUpFilter(control, std::move(handler)));
}

} // namespace velvane
