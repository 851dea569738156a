#include "components/ComponentLibrary.h"

#include "components/containers/velcont.h"
#include "components/controls/VELButton.h"
#include "components/foundation/VELIniCtrl.h"
#include "components/foundation/VELTimer.h"
#include "components/foundation/VELXPStyles.h"
#include "components/foundation/VELXPThemeManager.h"
#include "components/foundation/velclass.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/forms/Application.h"

namespace velvane {

TComponentLibrary::TComponentLibrary()
{
    // Stored forms name the library's components by class.
    RegisterClass<TVELTimerPool>("TVELTimerPool");
    RegisterClass<TVELIniCtrl>("TVELIniCtrl");
    RegisterClass<TVELXPThemeManager>("TVELXPThemeManager");
    RegisterClass<TVELHiTimer>("TVELHiTimer");
    RegisterClass<TVELButton>("TVELButton");
    RegisterContainerClasses();
    ThemeApiLoader();
    try {
        GlobalApplication = new TVELApplication;
        GlobalThemeManager = new TVELXPThemeManager(nullptr);
        GlobalContainer = new TVELContainer(nullptr);
    } catch (...) {
        delete GlobalThemeManager;
        GlobalThemeManager = nullptr;
        delete GlobalApplication;
        GlobalApplication = nullptr;
        ThemeApiUnloader();
        throw;
    }
}

TComponentLibrary::~TComponentLibrary()
{
    if (Application) Application->DestroyComponents();
    delete GlobalContainer;
    GlobalContainer = nullptr;
    delete GlobalThemeManager;
    GlobalThemeManager = nullptr;
    delete GlobalApplication;
    GlobalApplication = nullptr;
    ThemeApiUnloader();
}

} // namespace velvane
