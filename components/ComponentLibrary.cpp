#include "components/ComponentLibrary.h"

#include "components/VELXPStyles.h"
#include "components/VELXPThemeManager.h"
#include "components/velclass.h"
#include "platform/forms/Application.h"

namespace velvane {

TComponentLibrary::TComponentLibrary()
{
    ThemeApiLoader();
    try {
        GlobalApplication = new TVELApplication;
        GlobalThemeManager = new TVELXPThemeManager(nullptr);
    } catch (...) {
        delete GlobalApplication;
        GlobalApplication = nullptr;
        ThemeApiUnloader();
        throw;
    }
}

TComponentLibrary::~TComponentLibrary()
{
    if (Application) Application->DestroyComponents();
    delete GlobalThemeManager;
    GlobalThemeManager = nullptr;
    delete GlobalApplication;
    GlobalApplication = nullptr;
    ThemeApiUnloader();
}

} // namespace velvane
