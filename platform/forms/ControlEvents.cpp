#include "platform/forms/ControlEvents.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace velvane {

namespace {

class KeyUpFilter : public QObject {
public:
    KeyUpFilter(QWidget* control, TKeyEvent handler) : QObject(control), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyRelease) return false;
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (keyEvent->isAutoRepeat()) return false;
        int key = VirtualKeyOf(keyEvent->key());
        handler_(watched, key);
        return key == 0;
    }

private:
    TKeyEvent handler_;
};

} // namespace

void SetOnKeyUp(QWidget* control, TKeyEvent handler)
{
    control->installEventFilter(new KeyUpFilter(control, std::move(handler)));
}

} // namespace velvane
