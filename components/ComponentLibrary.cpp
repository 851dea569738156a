#include "components/ComponentLibrary.h"

#include "components/VELButton.h"
#include "components/VELIniCtrl.h"
#include "components/VELTimer.h"
#include "components/VELXPStyles.h"
#include "components/VELXPThemeManager.h"
#include "components/velclass.h"
#include "components/velcont.h"
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
