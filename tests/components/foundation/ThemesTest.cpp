#include "components/ComponentLibrary.h"
#include "components/foundation/VELXPStyles.h"
#include "components/foundation/VELXPThemeManager.h"
#include "components/foundation/velclass.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <utility>
#include <vector>

using namespace velvane;

namespace {

// The fake visual-styles library: every export a function of its own.
BOOL themeActive = TRUE;
std::vector<DWORD> appProperties;

BOOL FakeIsThemeActive() { return themeActive; }
void FakeSetThemeAppProperties(DWORD flags) { appProperties.push_back(flags); }
template <int N>
int Stub()
{
    return N;
}

template <std::size_t... N>
ModuleProcs FakeExports(std::index_sequence<N...>)
{
    ModuleProcs procs;
    ((procs[VisualStylesNames[N]] = reinterpret_cast<void*>(&Stub<static_cast<int>(N)>)), ...);
    procs["IsThemeActive"] = reinterpret_cast<void*>(&FakeIsThemeActive);
    procs["SetThemeAppProperties"] = reinterpret_cast<void*>(&FakeSetThemeAppProperties);
    return procs;
}

ModuleProcs FakeExports() { return FakeExports(std::make_index_sequence<VisualStylesEntryCount>()); }

using Log = std::vector<std::pair<String, UINT>>;

int Count(const Log& log, const String& who, UINT message)
{
    return static_cast<int>(std::count(log.begin(), log.end(), std::pair{who, message}));
}

// A control of a form with a window of its own, logging what it gets.
class Control {
public:
    Control(QWidget* parent, String name, Log& log) : widget(new QWidget(parent))
    {
        procedure = MakeProcInstance([this, name = std::move(name), &log](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            log.emplace_back(name, m);
            if (onMessage) onMessage(m);
            return DefWindowProcA(w, m, wp, lp);
        });
        handle = CreateWindowFor(widget, procedure);
    }
    ~Control()
    {
        DestroyWindow(handle);
        FreeObjectInstance(procedure);
    }
    QWidget* widget;
    WNDPROC procedure;
    HWND handle;
    std::function<void(UINT)> onMessage;
};

class TLoggedForm : public TForm {
public:
    TLoggedForm(Log& log) : TForm(nullptr), log_(log) {}

protected:
    void WndProc(TMessage& m) override
    {
        log_.emplace_back("form", m.Msg);
        TForm::WndProc(m);
    }

private:
    Log& log_;
};

struct Themes : ::testing::Test {
    Themes()
    {
        velvane::test::EnsureApplication();
        themeActive = TRUE;
        appProperties.clear();
    }
    velvane::test::TempEnv env;
    Log log;
};

} // namespace

TEST_F(Themes, WithoutTheLibraryEveryControlIsClassic)
{
    ScopedBuiltInModule none("UxTheme.dll", std::nullopt);
    TComponentLibrary library;
    EXPECT_FALSE(VisualStyles().Available);
    GlobalApplication->SetThemeUse(false);
    GlobalApplication->SetThemeUse(true);  // refused: nothing to switch on
    EXPECT_FALSE(GlobalApplication->UseXPThemes);
}

TEST_F(Themes, TheLibraryIsBoundEntryByEntryByName)
{
    ModuleProcs exports = FakeExports();
    exports.erase("GetThemeFont");
    ScopedBuiltInModule fake("UxTheme.dll", exports);
    {
        TComponentLibrary library;
        ASSERT_TRUE(VisualStyles().Available);
        for (std::size_t i = 0; i < VisualStylesEntryCount; ++i) {
            const auto it = exports.find(VisualStylesNames[i]);
            EXPECT_EQ(reinterpret_cast<void*>(VisualStyles().Entries[i]), it == exports.end() ? nullptr : it->second)
                << VisualStylesNames[i];
        }
        EXPECT_TRUE(GlobalApplication->ThemesActive());
        themeActive = FALSE;
        EXPECT_FALSE(GlobalApplication->ThemesActive());
        // A second start only counts; the library stays until the last end.
        ThemeApiLoader();
        ThemeApiUnloader();
        EXPECT_TRUE(VisualStyles().Available);
    }
    EXPECT_EQ(VisualStyles().Library, nullptr);
}

TEST_F(Themes, SwitchingTellsTheApplicationWindowThenEachVisibleFormsWindowsOnce)
{
    ScopedBuiltInModule fake("UxTheme.dll", FakeExports());
    TComponentLibrary library;
    int key = 0;
    Application->HookMainWindow(&key, [&](TMessage& m) {
        log.emplace_back("application", m.Msg);
        return false;
    });
    TLoggedForm form(log);
    Control button(form.Widget(), "button", log);
    auto* panel = new QWidget(form.Widget());  // no window of its own
    Control inner(panel, "inner", log);
    TLoggedForm hidden(log);
    Control hiddenButton(hidden.Widget(), "hidden", log);
    form.Show();
    Application->Handle();
    log.clear();

    GlobalApplication->SetThemeUse(false);
    const Log expected = {{"application", WM_THEMECHANGED}, {"button", CM_THEMESWITCHED}, {"button", WM_THEMECHANGED},
                          {"inner", WM_THEMECHANGED},       {"form", WM_THEMECHANGED}};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(appProperties, std::vector<DWORD>{0});
    Application->UnhookMainWindow(&key);

    // Only the library's own controls hear of it.
    log.clear();
    GlobalApplication->VELOnly = true;
    GlobalApplication->SetThemeUse(true);
    EXPECT_EQ(Count(log, "form", WM_THEMECHANGED), 0);
    EXPECT_EQ(Count(log, "button", CM_THEMESWITCHED), 1);
    EXPECT_EQ(Count(log, "hidden", CM_THEMESWITCHED), 0);
    EXPECT_EQ(appProperties, (std::vector<DWORD>{0, 3}));

    // A control switching themes while it is told starts no second round.
    button.onMessage = [](UINT m) {
        if (m == CM_THEMESWITCHED) GlobalApplication->SetThemeUse(!GlobalApplication->UseXPThemes);
    };
    GlobalApplication->SetThemeUse(false);
    EXPECT_EQ(Count(log, "button", CM_THEMESWITCHED), 2);
    EXPECT_FALSE(GlobalApplication->UseXPThemes);
    GlobalApplication->SetThemeUse(true);  // the next switch runs as usual
    EXPECT_EQ(Count(log, "button", CM_THEMESWITCHED), 3);
    EXPECT_TRUE(GlobalApplication->UseXPThemes);
}

TEST_F(Themes, ThemeManagerOnAFormFollowsASystemThemeChange)
{
    ScopedBuiltInModule fake("UxTheme.dll", FakeExports());
    TComponentLibrary library;
    TLoggedForm form(log);
    Control button(form.Widget(), "button", log);
    TVELXPThemeManager manager(&form);
    ASSERT_TRUE(manager.HookWindow());
    form.Show();

    // Off and on again, each told once; the manager's own hearing of the
    // broadcast starts nothing more.
    SendMessageA(form.Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(GlobalApplication->UseXPThemes);
    EXPECT_EQ(Count(log, "button", CM_THEMESWITCHED), 2);
    EXPECT_EQ(appProperties, (std::vector<DWORD>{0, 3}));

    // Creation of the window rereads the system's answer.
    themeActive = FALSE;
    SendMessageA(form.Handle(), WM_CREATE, 0, 0);
    EXPECT_FALSE(GlobalApplication->UseXPThemes);
}
