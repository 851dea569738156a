#include "platform/forms/LinkLabel.h"

#include <QMouseEvent>

namespace velvane {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void TLinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // A press dragged off the label before release is no click.
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click && OnClick) OnClick(this);
}

} // namespace velvane
