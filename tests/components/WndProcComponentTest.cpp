#include "components/VELWndProcComponent.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velvane;

namespace {

constexpr UINT WM_PROBE = WM_USER + 7;

// A form that records the messages its own procedure gets.
class TRecordingForm : public TForm {
public:
    explicit TRecordingForm(TComponent* owner) : TForm(owner) {}
    std::vector<UINT> seen;
    int Count(UINT message) const { return static_cast<int>(std::count(seen.begin(), seen.end(), message)); }

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
    std::vector<UINT> seen;
    int consumeApp = 0;  // a message of the application window this spy takes
    std::vector<UINT> appSeen;
    void WndProc(TMessage& m) override
    {
        seen.push_back(m.Msg);
        TVELWndProcComponent::WndProc(m);
    }
    bool MainWindowHook(TMessage& m) override
    {
        appSeen.push_back(m.Msg);
        if (consumeApp && m.Msg == static_cast<UINT>(consumeApp)) return true;
        return TVELWndProcComponent::MainWindowHook(m);
    }
};

struct Fixture : ::testing::Test {
    Fixture() { velvane::test::EnsureApplication(); }
};

using WndProcComponent = Fixture;

} // namespace

TEST_F(WndProcComponent, NeedsAFormOwnerToSubclass)
{
    TSpy lone(nullptr);
    EXPECT_FALSE(lone.HookWindow());
    TComponent plain(nullptr);
    TSpy owned(&plain);
    EXPECT_FALSE(owned.HookWindow());
}

TEST_F(WndProcComponent, SeesEveryMessageFirstAndPassesItOn)
{
    TRecordingForm form(nullptr);
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongA(form.Handle(), GWL_WNDPROC));
    auto* spy = new TSpy(&form);
    ASSERT_TRUE(spy->HookWindow());
    EXPECT_EQ(spy->OldWndProc(), original);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(form.Handle(), GWL_WNDPROC)), spy->ObjectInstance());
    EXPECT_EQ(SendMessageA(form.Handle(), WM_PROBE, 0, 0), 1234);
    EXPECT_EQ(spy->seen, std::vector<UINT>{WM_PROBE});
    EXPECT_EQ(form.Count(WM_PROBE), 1);

    // A second hook is refused and the first stays in place.
    EXPECT_FALSE(spy->HookWindow());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(form.Handle(), GWL_WNDPROC)), spy->ObjectInstance());

    // Unhooked, the window has its own procedure back.
    EXPECT_TRUE(spy->UnhookWindow());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(form.Handle(), GWL_WNDPROC)), original);
    SendMessageA(form.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(spy->seen.size(), 1u);
    EXPECT_EQ(form.Count(WM_PROBE), 2);

    // Freed while hooked, it unhooks itself.
    spy->DoHook();
    ASSERT_NE(spy->OldWndProc(), nullptr);
    delete spy;
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(form.Handle(), GWL_WNDPROC)), original);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_PROBE, 0, 0), 1234);
}

TEST_F(WndProcComponent, AfterDestroyAPlainFormForwardsNothingButAnMdiChildUnhooks)
{
    TRecordingForm plainForm(nullptr);
    TSpy plain(&plainForm);
    ASSERT_TRUE(plain.HookWindow());
    SendMessageA(plainForm.Handle(), WM_DESTROY, 0, 0);
    EXPECT_TRUE(plain.WindowDestroying());
    EXPECT_EQ(plainForm.Count(WM_DESTROY), 1);
    SendMessageA(plainForm.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(plainForm.Count(WM_PROBE), 0);
    EXPECT_NE(plain.OldWndProc(), nullptr);

    TRecordingForm childForm(nullptr);
    childForm.FormStyle = TFormStyle::fsMDIChild;
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongA(childForm.Handle(), GWL_WNDPROC));
    TSpy child(&childForm);
    EXPECT_EQ(child.MDIKind(), 1);
    ASSERT_TRUE(child.HookWindow());
    SendMessageA(childForm.Handle(), WM_DESTROY, 0, 0);
    // Not passed on, and the old procedure is back before the next message.
    EXPECT_EQ(childForm.Count(WM_DESTROY), 0);
    EXPECT_EQ(child.OldWndProc(), nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(childForm.Handle(), GWL_WNDPROC)), original);
    SendMessageA(childForm.Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(childForm.Count(WM_PROBE), 1);
    EXPECT_EQ(child.seen, std::vector<UINT>{WM_DESTROY});
}

TEST_F(WndProcComponent, MdiParentDesignAndLoading)
{
    TRecordingForm parentForm(nullptr);
    parentForm.FormStyle = TFormStyle::fsMDIForm;
    TSpy parent(&parentForm);
    EXPECT_EQ(parent.MDIKind(), 2);
    // No client window here; the form's own window only when asked for.
    EXPECT_FALSE(parent.HookWindow());
    parent.UseFormWindow = true;
    EXPECT_TRUE(parent.HookWindow());

    TRecordingForm form(nullptr);
    TSpy designed(&form);
    designed.SetDesigning(true);
    EXPECT_FALSE(designed.HookWindow());
    designed.HookAtDesign = true;
    EXPECT_TRUE(designed.HookWindow());

    // Loading ends with the hook in place, unless switched off.
    TRecordingForm loadedForm(nullptr);
    auto* loaded = new TSpy(&loadedForm);
    auto* disabled = new TSpy(&loadedForm);
    disabled->Enabled = false;
    loaded->BeginLoading();
    disabled->BeginLoading();
    LoadedComponents(&loadedForm);
    EXPECT_NE(loaded->OldWndProc(), nullptr);
    EXPECT_EQ(disabled->OldWndProc(), nullptr);
}

TEST_F(WndProcComponent, ApplicationHookTakesOnlyWhatItConsumes)
{
    TRecordingForm form(nullptr);
    const HWND app = Application->Handle();
    std::vector<UINT> later;
    int key = 0;

    auto* spy = new TSpy(&form);
    spy->HandleApp = true;
    ASSERT_TRUE(spy->HookWindow());
    EXPECT_TRUE(spy->AppHooked());
    Application->HookMainWindow(&key, [&](TMessage& m) {
        later.push_back(m.Msg);
        return false;
    });

    // The default answer lets every message go on to the next hook.
    SendMessageA(app, WM_PROBE, 0, 0);
    SendMessageA(app, WM_PROBE + 1, 0, 0);
    EXPECT_EQ(spy->appSeen, (std::vector<UINT>{WM_PROBE, WM_PROBE + 1}));
    EXPECT_EQ(later, (std::vector<UINT>{WM_PROBE, WM_PROBE + 1}));

    // A hook that consumes a message keeps it from the hooks after it.
    spy->consumeApp = WM_PROBE;
    SendMessageA(app, WM_PROBE, 0, 0);
    SendMessageA(app, WM_PROBE + 1, 0, 0);
    EXPECT_EQ(later, (std::vector<UINT>{WM_PROBE, WM_PROBE + 1, WM_PROBE + 1}));

    // Freed after HandleApp was switched off, it still leaves no hook behind.
    spy->HandleApp = false;
    delete spy;
    SendMessageA(app, WM_PROBE, 0, 0);
    EXPECT_EQ(later.size(), 4u);
    Application->UnhookMainWindow(&key);
}

TEST(ChangeNotification, UpdatesDoNotNest)
{
    TVELCustomComponent component(nullptr);
    int changes = 0;
    component.OnChange = [&](TPersistent* sender) { changes += sender == &component; };
    component.BeginUpdate();
    component.BeginUpdate();
    component.Change();
    component.EndUpdate(false);  // one EndUpdate ends both, telling nothing
    EXPECT_FALSE(component.Updating());
    component.Change();
    component.BeginUpdate();
    component.EndUpdate(true);
    EXPECT_EQ(changes, 2);
}
