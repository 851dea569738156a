#include "components/foundation/VELWndProcComponent.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/forms/PushButton.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velvane;

namespace {

constexpr UINT WM_PROBE = WM_USER + 7;

// A form that records the messages its own procedure gets.
class TRecordingForm : public TForm {
public:
    // The application exists before the form's window.
    TRecordingForm() : TForm((velvane::test::EnsureApplication(), nullptr)) {}
    std::vector<UINT> seen;
    int Count(UINT message) const { return static_cast<int>(std::count(seen.begin(), seen.end(), message)); }
    WNDPROC Procedure() { return reinterpret_cast<WNDPROC>(GetWindowLongA(Handle(), GWL_WNDPROC)); }

protected:
    void WndProc(TMessage& m) override
    {
        seen.push_back(m.Msg);
        TForm::WndProc(m);
        if (m.Msg == WM_PROBE) m.Result = 1234;
    }
};

// A subclassing component that records what passes through it.
class TSpy : public TVELWndProcComponent {
public:
    using TVELWndProcComponent::TVELWndProcComponent;
    std::vector<UINT> seen, appSeen;
    UINT consumeApp = 0;  // a message of the application window this spy takes
    void WndProc(TMessage& m) override
    {
        seen.push_back(m.Msg);
        TVELWndProcComponent::WndProc(m);
    }
    bool MainWindowHook(TMessage& m) override
    {
        appSeen.push_back(m.Msg);
        return m.Msg == consumeApp || TVELWndProcComponent::MainWindowHook(m);
    }
};

} // namespace

TEST(WndProcComponent, SeesEveryMessageFirstPassesItOnAndUnhooksWhenFreed)
{
    TRecordingForm form;
    const WNDPROC original = form.Procedure();
    auto* spy = new TSpy(&form);
    ASSERT_TRUE(spy->HookWindow());
    EXPECT_EQ(form.Procedure(), spy->ObjectInstance());
    EXPECT_EQ(SendMessageA(form.Handle(), WM_PROBE, 0, 0), 1234);
    EXPECT_EQ(spy->seen, std::vector<UINT>{WM_PROBE});
    EXPECT_EQ(form.Count(WM_PROBE), 1);
    EXPECT_FALSE(spy->HookWindow());  // a second hook is refused

    EXPECT_TRUE(spy->UnhookWindow());
    EXPECT_EQ(form.Procedure(), original);
    SendMessageA(form.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(spy->seen.size(), 1u);

    spy->DoHook();
    delete spy;
    EXPECT_EQ(form.Procedure(), original);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_PROBE, 0, 0), 1234);
    EXPECT_FALSE(TSpy(nullptr).HookWindow());  // no form to hook

    // Any owner with a window will do, not only a form.
    TButton button(nullptr, form.Widget());
    TSpy onButton(&button);
    ASSERT_TRUE(onButton.HookWindow());
    SendMessageA(button.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(onButton.seen, std::vector<UINT>{WM_PROBE});
    EXPECT_TRUE(onButton.UnhookWindow());
}

TEST(WndProcComponent, AnMdiChildsDestroyPutsTheOldProcedureBackAtOnce)
{
    TRecordingForm form;
    form.FormStyle = TFormStyle::fsMDIChild;
    const WNDPROC original = form.Procedure();
    TSpy child(&form);
    ASSERT_TRUE(child.HookWindow());
    SendMessageA(form.Handle(), WM_DESTROY, 0, 0);
    EXPECT_EQ(form.Count(WM_DESTROY), 0);
    EXPECT_EQ(child.OldWndProc(), nullptr);
    EXPECT_EQ(form.Procedure(), original);
    SendMessageA(form.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(form.Count(WM_PROBE), 1);
    EXPECT_EQ(child.seen, std::vector<UINT>{WM_DESTROY});
}

TEST(WndProcComponent, ApplicationHookTakesOnlyWhatItConsumes)
{
    TRecordingForm form;
    const HWND app = Application->Handle();
    std::vector<UINT> later;
    int key = 0;
    auto* spy = new TSpy(&form);
    spy->HandleApp = true;
    ASSERT_TRUE(spy->HookWindow());
    Application->HookMainWindow(&key, [&](TMessage& m) {
        later.push_back(m.Msg);
        return false;
    });

    // The default answer lets every message go on to the next hook.
    SendMessageA(app, WM_PROBE, 0, 0);
    EXPECT_EQ(spy->appSeen, std::vector<UINT>{WM_PROBE});
    EXPECT_EQ(later, std::vector<UINT>{WM_PROBE});
    spy->consumeApp = WM_PROBE;
    SendMessageA(app, WM_PROBE, 0, 0);
    SendMessageA(app, WM_PROBE + 1, 0, 0);
    EXPECT_EQ(later, (std::vector<UINT>{WM_PROBE, WM_PROBE + 1}));

    // Freed after HandleApp was switched off, it still leaves no hook behind.
    spy->HandleApp = false;
    delete spy;
    SendMessageA(app, WM_PROBE, 0, 0);
    EXPECT_EQ(later.size(), 3u);
    Application->UnhookMainWindow(&key);
}
