#include "platform/forms/ControlPlacement.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace velvane {

const std::vector<String>& AlignIdents()
{
    static const std::vector<String> idents = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient",
                                               "alCustom"};
    return idents;
}

const std::vector<String>& AnchorIdents()
{
    static const std::vector<String> idents = {"akLeft", "akTop", "akRight", "akBottom"};
    return idents;
}

void TSizeConstraints::SetBound(int index, int value)
{
    value = std::max(value, 0);
    if (index < 0 || index > 3 || bounds_[index] == value) return;
    bounds_[index] = value;
    if (OnChange) OnChange();
}

QSize TSizeConstraints::Apply(QSize size) const
{
    auto bound = [](int v, int least, int most) {
        if (most > 0) v = std::min(v, most);
        return std::max(v, least);
    };
    return {bound(size.width(), MinWidth(), MaxWidth()), bound(size.height(), MinHeight(), MaxHeight())};
}

void TSizeConstraints::DeclareProperties(TPropertyList& list)
{
    TPersistent::DeclareProperties(list);
    const char* const names[] = {"MaxHeight", "MaxWidth", "MinHeight", "MinWidth"};
    for (int i = 0; i < 4; ++i)
        list.Integer(names[i], [this, i] { return std::int64_t{bounds_[i]}; },
                     [this, i](std::int64_t v) { SetBound(i, static_cast<int>(v)); })
            .Default(0)
            .Range(0, INT32_MAX);
}

TControlPlacement::TControlPlacement(QWidget* control) : QObject(control), control_(control)
{
    control->installEventFilter(this);
    Watch(control->parentWidget());
    constraints_.OnChange = [this] { control_->setGeometry(Place(control_->geometry())); };
}

void TControlPlacement::Watch(QWidget* parent)
{
    if (parent_ == parent) return;
    if (parent_) parent_->removeEventFilter(this);
    parent_ = parent;
    if (parent_) parent_->installEventFilter(this);
    Remember();
}

void TControlPlacement::SetAlign(TAlign value)
{
    if (value == align_) return;
    align_ = value;
    control_->setGeometry(Place(control_->geometry()));
    Remember();
}

void TControlPlacement::SetAnchors(TAnchors value)
{
    anchors_ = value & (akLeft | akTop | akRight | akBottom);
    Remember();
}

QRect TControlPlacement::Place(QRect bounds) const
{
    bounds.setSize(constraints_.Apply(bounds.size()));
    if (!parent_) return bounds;
    const QSize p = parent_->size();
    switch (align_) {
    case TAlign::alTop: bounds = QRect(0, 0, p.width(), bounds.height()); break;
    case TAlign::alBottom: bounds = QRect(0, p.height() - bounds.height(), p.width(), bounds.height()); break;
    case TAlign::alLeft: bounds = QRect(0, 0, bounds.width(), p.height()); break;
    case TAlign::alRight: bounds = QRect(p.width() - bounds.width(), 0, bounds.width(), p.height()); break;
    case TAlign::alClient: bounds = QRect(QPoint(0, 0), p); break;
    default: return bounds;
    }
    // An edge the control spans still bounds its size; it stays at that edge.
    const QSize sized = constraints_.Apply(bounds.size());
    if (align_ == TAlign::alBottom) bounds.moveTop(bounds.bottom() + 1 - sized.height());
    if (align_ == TAlign::alRight) bounds.moveLeft(bounds.right() + 1 - sized.width());
    bounds.setSize(sized);
    return bounds;
}

void TControlPlacement::Remember()
{
    if (placing_) return;
    kept_ = control_->geometry();
    keptParent_ = parent_ ? parent_->size() : QSize();
}

void TControlPlacement::Follow()
{
    const bool still = (align_ == TAlign::alNone || align_ == TAlign::alCustom) && anchors_ == (akLeft | akTop);
    if (!parent_ || !keptParent_.isValid() || still) return;
    QRect bounds = kept_;
    if (align_ == TAlign::alNone || align_ == TAlign::alCustom) {
        // Along each axis: both sides anchored stretches, the far side alone
        // moves, neither keeps the middle.
        const auto follow = [](int& start, int& length, int grown, bool nearSide, bool farSide) {
            if (nearSide && farSide)
                length += grown;
            else if (farSide)
                start += grown;
            else if (!nearSide)
                start += grown / 2;
        };
        int left = bounds.left(), top = bounds.top(), width = bounds.width(), height = bounds.height();
        follow(left, width, parent_->width() - keptParent_.width(), anchors_ & akLeft, anchors_ & akRight);
        follow(top, height, parent_->height() - keptParent_.height(), anchors_ & akTop, anchors_ & akBottom);
        bounds = QRect(left, top, std::max(width, 0), std::max(height, 0));
    }
    placing_ = true;
    control_->setGeometry(Place(bounds));
    placing_ = false;
}

bool TControlPlacement::eventFilter(QObject* watched, QEvent* event)
{
    // However the control was moved, its anchors keep where it is now.
    if (watched == control_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) Remember();
    if (watched == control_ && event->type() == QEvent::ParentChange) Watch(control_->parentWidget());
    if (watched == parent_ && event->type() == QEvent::Resize) Follow();
    return QObject::eventFilter(watched, event);
}

} // namespace velvane
