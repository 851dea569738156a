#pragma once
// TVELXPThemeManager: follows theme changes of the window it subclasses.
// On the window's creation it rereads whether a theme is active; when the
// system reports a theme change while themes are in use, it switches theme
// use off and on again, so every control redraws in the new theme.

#include "components/foundation/VELWndProcComponent.h"

namespace velvane {

class TVELXPThemeManager : public TVELWndProcComponent {
public:
    explicit TVELXPThemeManager(TComponent* owner) : TVELWndProcComponent(owner) {}
    const char* ClassName() const override { return "TVELXPThemeManager"; }

    void WndProc(TMessage& message) override;
};

// The process-wide theme manager; it has no owner, so it never subclasses a
// window. Null before the library starts.
extern TVELXPThemeManager* GlobalThemeManager;

} // namespace velvane
