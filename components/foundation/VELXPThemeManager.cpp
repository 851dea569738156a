#include "components/foundation/VELXPThemeManager.h"

#include "components/foundation/velclass.h"

namespace velvane {

TVELXPThemeManager* GlobalThemeManager = nullptr;

void TVELXPThemeManager::WndProc(TMessage& message)
{
    if (GlobalApplication) {
        if (message.Msg == WM_CREATE) {
            GlobalApplication->RecheckThemes();
        } else if (message.Msg == WM_THEMECHANGED && GlobalApplication->ThemesActive()) {
            GlobalApplication->SetThemeUse(false);
            GlobalApplication->SetThemeUse(true);
        }
    }
    TVELWndProcComponent::WndProc(message);
}

} // namespace velvane
