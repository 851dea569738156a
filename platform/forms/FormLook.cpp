#include "platform/forms/FormLook.h"

#include <QEvent>
#include <QPainter>

namespace velvane {

namespace {

class FlatBackground : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || watched != parent()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        QPainter(widget).fillRect(widget->rect(), widget->palette().window());
        return true;
    }
};

} // namespace

void PaintFlat(QWidget* widget)
{
    widget->installEventFilter(new FlatBackground(widget));
}

} // namespace velvane
