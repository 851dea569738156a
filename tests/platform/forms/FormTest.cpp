#include "platform/forms/Form.h"
#include "platform/forms/FormLook.h"
#include "tests/support/FreeWatcher.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::ProcessEventsFor;
using velvane::test::ProcessEventsUntil;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { velvane::test::EnsureQtApp(); }
};

using test::FreeWatcher;

// A list that records the key releases that reach it.
class KeyList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(int)> OnRelease;

protected:
    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (OnRelease) OnRelease(event->key());
        QListWidget::keyReleaseEvent(event);
    }
};

void Release(QWidget* to, int key)
{
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &event);
}

// A key pressed and released in the widget.
void Type(QWidget* to, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &press);
    Release(to, key);
}

} // namespace

TEST_F(FormTest, BoundsReadBackAsSetBeforeAndAfterShow)
{
    TForm form(nullptr);
    form.SetBounds(110, 120, 300, 200);
    EXPECT_EQ(form.Left(), 110);
    EXPECT_EQ(form.Top(), 120);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    form.Show();
    EXPECT_EQ(form.Left(), 110);
    EXPECT_EQ(form.Top(), 120);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    form.SetBounds(40, 50, 320, 240);
    ProcessEventsFor(10ms);
    EXPECT_EQ(form.Left(), 40);
    EXPECT_EQ(form.Top(), 50);
    EXPECT_EQ(form.Width(), 320);
    EXPECT_EQ(form.Height(), 240);
}

TEST_F(FormTest, ScreenCenterAppliesAtFirstShowOnly)
{
    TForm form(nullptr);
    form.Position = TPosition::poScreenCenter;
    form.SetBounds(0, 0, 200, 100);
    form.Show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Left(), area.x() + (area.width() - 200) / 2);
    EXPECT_EQ(form.Top(), area.y() + (area.height() - 100) / 2);
    form.Hide();
    form.SetBounds(5, 6, 200, 100);
    form.Show();
    EXPECT_EQ(form.Left(), 5);
    EXPECT_EQ(form.Top(), 6);
}

TEST_F(FormTest, CaptionKeepsUtf8)
{
    TForm form(nullptr);
    const String caption = "Configuração — 壁紙 ✓";
    form.SetCaption(caption);
    EXPECT_EQ(form.Caption(), caption);
    EXPECT_EQ(form.Widget()->windowTitle(), QString::fromUtf8(caption.c_str()));
}

TEST_F(FormTest, WindowStatesAndMinimizedWinsOverMaximized)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 200, 100);
    form.Show();
    form.SetWindowState(TWindowState::wsMaximized);
    EXPECT_EQ(form.WindowState(), TWindowState::wsMaximized);
    EXPECT_TRUE(form.Widget()->isMaximized());
    form.SetWindowState(TWindowState::wsMinimized);
    EXPECT_EQ(form.WindowState(), TWindowState::wsMinimized);
    form.Widget()->setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
    EXPECT_EQ(form.WindowState(), TWindowState::wsMinimized);
    form.SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(form.WindowState(), TWindowState::wsNormal);
    EXPECT_FALSE(form.Widget()->isMinimized());
    EXPECT_FALSE(form.Widget()->isMaximized());
}

TEST_F(FormTest, CloseActions)
{
    TCloseAction answer = TCloseAction::caNone;
    std::vector<QObject*> senders;
    auto* form = new TForm(nullptr);
    form->OnClose = [&](QObject* sender, TCloseAction& action) {
        senders.push_back(sender);
        EXPECT_EQ(action, TCloseAction::caHide);   // the default offered
        action = answer;
    };
    form->Show();
    form->Close();
    EXPECT_TRUE(form->Visible());
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], form->Widget());

    answer = TCloseAction::caMinimize;
    form->Close();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
    form->SetWindowState(TWindowState::wsNormal);

    answer = TCloseAction::caHide;
    form->Close();
    EXPECT_FALSE(form->Visible());

    // Freed later, once the events being handled now are done.
    form->Show();
    FreeWatcher watcher(form);
    answer = TCloseAction::caFree;
    form->Close();
    EXPECT_FALSE(watcher.freed);
    EXPECT_FALSE(form->Visible());
    ASSERT_TRUE(ProcessEventsUntil([&] { return watcher.freed; }));
}

TEST_F(FormTest, TitleBarCloseReachesOnCloseAndKeepsTheForm)
{
    TForm form(nullptr);
    int closes = 0;
    form.OnClose = [&](QObject*, TCloseAction&) { ++closes; };
    form.Show();
    form.Widget()->close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form.Visible());
    // Hidden, not destroyed: it can be shown and closed again.
    EXPECT_TRUE(IsWindow(form.Handle()));
    form.Show();
    form.Widget()->close();
    EXPECT_EQ(closes, 2);
}

TEST_F(FormTest, SubclassedFormSeesCloseFirstAndCanRefuseIt)
{
    TForm form(nullptr);
    int formCloses = 0;
    form.OnClose = [&](QObject*, TCloseAction&) { ++formCloses; };
    WNDPROC old = nullptr;
    bool refuse = true;
    WNDPROC sub = MakeProcInstance([&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CLOSE && refuse) return 0;
        return CallWindowProcA(old, h, m, wp, lp);
    });
    old = reinterpret_cast<WNDPROC>(SetWindowLongA(form.Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
    form.Show();
    form.Widget()->close();
    EXPECT_EQ(formCloses, 0);
    EXPECT_TRUE(form.Visible());
    refuse = false;
    form.Widget()->close();
    EXPECT_EQ(formCloses, 1);
    SetWindowLongA(form.Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    FreeObjectInstance(sub);
}

TEST_F(FormTest, ClosingTheMainFormEndsTheProgramInsteadOfFreeing)
{
    int ended = 0;
    TForm::OnMainFormClosed = [&] { ++ended; };
    {
        TForm form(nullptr);
        form.IsMainForm = true;
        FreeWatcher watcher(&form);
        TCloseAction answer = TCloseAction::caNone;
        form.OnClose = [&](QObject*, TCloseAction& action) { action = answer; };
        form.Show();
        form.Close();
        EXPECT_EQ(ended, 0);
        EXPECT_TRUE(form.Visible());
        answer = TCloseAction::caFree;
        form.Close();
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(form.Visible());
        ProcessEventsFor(30ms);
        EXPECT_FALSE(watcher.freed);
    }
    TForm::OnMainFormClosed = nullptr;
}

TEST_F(FormTest, KeyPreviewSeesControlKeysFirstAndMayConsume)
{
    TForm form(nullptr);
    std::vector<std::string> order;
    auto* list = new KeyList(form.Widget());
    list->OnRelease = [&](int key) { order.push_back("list " + std::to_string(key)); };
    auto* layout = new QVBoxLayout(form.Widget());
    layout->addWidget(list);
    std::vector<QObject*> senders;
    form.OnKeyUp = [&](QObject* sender, int& key) {
        senders.push_back(sender);
        order.push_back("form " + std::to_string(key));
        if (key == VK_DELETE) key = 0;
    };
    form.Show();

    Release(list, Qt::Key_Return);
    EXPECT_EQ(order, std::vector<std::string>{"list " + std::to_string(Qt::Key_Return)});   // preview is off

    order.clear();
    form.KeyPreview = true;
    Type(list, Qt::Key_Return);
    Type(list, Qt::Key_Enter);
    Type(list, Qt::Key_Delete);
    // Each key once, before the list, though the list ignores it and Qt
    // offers it up to the form's own widget; Delete is consumed.
    EXPECT_EQ(order, (std::vector<std::string>{"form 13", "list " + std::to_string(Qt::Key_Return), "form 13",
                                               "list " + std::to_string(Qt::Key_Enter), "form 46"}));
    ASSERT_FALSE(senders.empty());
    EXPECT_EQ(senders[0], list);

    // Keys of another window are not this form's, nor is the release of a
    // key pressed there (the Enter that confirmed a dialog).
    order.clear();
    QWidget elsewhere;
    elsewhere.show();
    Type(&elsewhere, Qt::Key_Return);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&elsewhere, &press);
    Release(list, Qt::Key_Return);
    EXPECT_EQ(order, std::vector<std::string>{"list " + std::to_string(Qt::Key_Return)});
}

TEST_F(FormTest, ShowModalAsksTheResponder)
{
    velvane::test::ScriptedResponder responder;
    responder.Queue(mrOk);
    TForm form(nullptr);
    form.ModalResult = mrAbort;
    EXPECT_EQ(form.ShowModal(), mrOk);
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_EQ(responder.requests[0].kind, ModalRequest::Kind::Form);
    EXPECT_EQ(responder.requests[0].form, &form);
    EXPECT_EQ(form.ModalResult, mrNone);   // reset before asking
}

TEST_F(FormTest, ShowModalRunsUntilModalResultIsSet)
{
    Watchdog watchdog(30s, "ShowModal with a result set later");
    TForm form(nullptr);
    bool wasModal = false;
    QTimer::singleShot(20, [&] {
        wasModal = form.Visible() && form.Widget()->isModal();
        form.ModalResult = mrYes;
    });
    EXPECT_EQ(form.ShowModal(), mrYes);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Widget()->isModal());
}

TEST_F(FormTest, ShowModalClosedByTheUserIsCancel)
{
    Watchdog watchdog(30s, "ShowModal closed");
    TForm form(nullptr);
    int closes = 0;
    form.OnClose = [&](QObject*, TCloseAction&) { ++closes; };
    QTimer::singleShot(20, [&] { form.Widget()->close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.ModalResult, mrCancel);
    EXPECT_EQ(closes, 1);
}

TEST_F(FormTest, ModalFormFreedOnCloseIsNotTouchedAfterwards)
{
    Watchdog watchdog(30s, "ShowModal of a form freed on close");
    auto* form = new TForm(nullptr);
    FreeWatcher watcher(form);
    form->OnClose = [](QObject*, TCloseAction& action) { action = TCloseAction::caFree; };
    QTimer::singleShot(20, [form] { form->Widget()->close(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    ASSERT_TRUE(ProcessEventsUntil([&] { return watcher.freed; }));
}

TEST_F(FormTest, TagsRoundTripOnAnyObject)
{
    QObject object;
    EXPECT_EQ(TagOf(&object), 0);
    SetTag(&object, -42);
    EXPECT_EQ(TagOf(&object), -42);
    EXPECT_EQ(TagOf(nullptr), 0);
}

// The style shades a main window's tool bars; one painted flat has none of it.
TEST_F(FormTest, AToolBarPaintedFlatIsTheWindowColourThroughout)
{
    QMainWindow window;
    QToolBar* bar = window.addToolBar("bar");
    PaintFlat(bar);
    window.show();
    const QImage shot = bar->grab().toImage();
    QImage flat(shot.size(), shot.format());
    flat.fill(bar->palette().color(QPalette::Window));
    EXPECT_TRUE(shot.height() > 2 && shot == flat);
}
