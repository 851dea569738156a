#pragma once
// TVELControl: the library's base for controls without a window of their
// own, drawn on their parent. It tells of the mouse entering and leaving
// (not while designing, nor for a disabled control) and of changes of its
// bounds, and repaints on a change of visual styles when it uses them.

#include "components/foundation/VELCustomComponent.h"
#include "platform/forms/GraphicControl.h"

#include <functional>

namespace velvane {

// OnBoundsChange's kinds: bits of what changed.
constexpr int bckResized = 1;
constexpr int bckMoved = 2;

using TVELBoundsChangeEvent = std::function<void(TPersistent* sender, int kinds)>;

class TVELControl : public TGraphicControl {
public:
    explicit TVELControl(TComponent* owner, QWidget* parent = nullptr);
    const char* ClassName() const override { return "TVELControl"; }

    TVELAboutVar About;
    TVELNotifyEvent OnMouseEnter;
    TVELNotifyEvent OnMouseExit;
    TVELBoundsChangeEvent OnBoundsChange;

    // Tells BoundsChanged what changed, unless the form is loading.
    void SetBounds(int left, int top, int width, int height) override;

    virtual void ThemeChanged();
    virtual bool UsesThemes() const { return false; }
    virtual void BoundsChanged(int kinds);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    // Invalidate, unless updates are held or the form is loading.
    virtual void RepaintIfIdle();

protected:
    void WndProc(TMessage& message) override;

    // Above 0, RepaintIfIdle holds back.
    int updateCount_ = 0;
};

} // namespace velvane
