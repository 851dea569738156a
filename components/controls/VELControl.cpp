#include "components/controls/VELControl.h"

#include "components/foundation/velclass.h"

namespace velvane {

TVELControl::TVELControl(TComponent* owner, QWidget* parent) : TGraphicControl(owner, parent) {}

void TVELControl::SetBounds(int left, int top, int width, int height)
{
    const QRect old = geometry();
    TGraphicControl::SetBounds(left, top, width, height);
    const QRect now = geometry();
    int kinds = 0;
    if (now.topLeft() != old.topLeft()) kinds |= bckMoved;
    if (now.size() != old.size()) kinds |= bckResized;
    if (kinds != 0 && !Loading()) BoundsChanged(kinds);
}

void TVELControl::ThemeChanged()
{
    if (UsesThemes()) Invalidate();
}

void TVELControl::BoundsChanged(int kinds)
{
    if (OnBoundsChange) OnBoundsChange(this, kinds);
}

void TVELControl::DoMouseEnter()
{
    if (Enabled() && OnMouseEnter) OnMouseEnter(this);
}

void TVELControl::DoMouseExit()
{
    if (Enabled() && OnMouseExit) OnMouseExit(this);
}

void TVELControl::RepaintIfIdle()
{
    if (updateCount_ < 1 && !Loading()) Invalidate();
}

void TVELControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
        TGraphicControl::WndProc(message);
        if (!Designing()) DoMouseEnter();
        return;
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(message);
        if (!Designing()) DoMouseExit();
        return;
    case CM_THEMESWITCHED: ThemeChanged(); return;
    default: TGraphicControl::WndProc(message);
    }
}

} // namespace velvane
