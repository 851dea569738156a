#include "platform/forms/TabOrder.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace velvane {

namespace {

// The parent's focusable children in the order Tab visits them.
std::vector<QWidget*> TabList(const QWidget* parent)
{
    std::vector<QWidget*> list;
    for (QWidget* w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
        if (w->parentWidget() == parent && w->focusPolicy() != Qt::NoFocus) list.push_back(w);
    return list;
}

} // namespace

int TabOrderOf(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    if (!parent) return -1;
    const std::vector<QWidget*> list = TabList(parent);
    const auto it = std::find(list.begin(), list.end(), control);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void SetTabOrder(QWidget* control, int order)
{
    QWidget* parent = control->parentWidget();
    if (!parent || control->focusPolicy() == Qt::NoFocus) return;
    std::vector<QWidget*> list = TabList(parent);
    list.erase(std::remove(list.begin(), list.end(), control), list.end());
    const auto at = static_cast<std::size_t>(std::clamp(order, 0, static_cast<int>(list.size())));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), control);
    // Qt (6.4) moves nothing after the last widget of a chain: a stand-in
    // stays last while the order is set.
    QWidget last(parent);
    last.setFocusPolicy(Qt::TabFocus);
    for (std::size_t i = 1; i < list.size(); ++i) QWidget::setTabOrder(list[i - 1], list[i]);
}

bool TabStopOf(const QWidget* control)
{
    return (control->focusPolicy() & Qt::TabFocus) != 0;
}

void SetTabStop(QWidget* control, bool value)
{
    const int policy = control->focusPolicy();
    control->setFocusPolicy(static_cast<Qt::FocusPolicy>(value ? policy | Qt::TabFocus | Qt::ClickFocus
                                                               : (policy & ~Qt::TabFocus) | Qt::ClickFocus));
}

} // namespace velvane
