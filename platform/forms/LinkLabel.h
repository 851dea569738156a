#pragma once
// TLinkLabel: a label that reacts to a click like a link (a press and a
// release of the left button over it), with the hand cursor.

#include "platform/forms/Form.h"

#include <QLabel>

namespace velvane {

class TLinkLabel : public QLabel {
public:
    explicit TLinkLabel(QWidget* parent = nullptr);

    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace velvane
