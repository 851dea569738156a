#include "platform/forms/PushButton.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <vector>

using namespace velvane;

namespace {

// Keeps what it was told: its clicks, whether it is the default now, and
// the mouse and enabled messages.
class RecordingButton : public TButton {
public:
    RecordingButton(TComponent* owner, QWidget* parent, int left) : TButton(owner, parent)
    {
        SetBounds(left, 10, 75, 25);
        show();
    }
    std::vector<UINT> messages;
    bool style = false;
    int clicks = 0;
    void Click() override { ++clicks, TButton::Click(); }

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE || m.Msg == CM_ENABLEDCHANGED) messages.push_back(m.Msg);
        TButton::WndProc(m);
    }
    void SetButtonStyle(bool isDefault) override { style = isDefault; }
};

void Key(QWidget* to, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier), release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &press), QCoreApplication::sendEvent(to, &release);
}

void Focus(QWidget* w)
{
    w->setFocus();
    velvane::test::ProcessEventsUntil([&] { return w->hasFocus(); });
}

struct PushButton : ::testing::Test {
    PushButton()
    {
        form.SetBounds(100, 100, 300, 120);
        form.Show();
        QApplication::setActiveWindow(form.Widget());
    }
    bool qt = (velvane::test::EnsureQtApp(), true);
    TForm form{nullptr};
};

} // namespace

// Mouse, Space and Return each clicking once are shown on the library's
// button (Button.MouseAndKeysClickOnce...), which clicks through this one.
TEST_F(PushButton, ReturnClicksTheActiveDefaultAndEscapeTheCancelButton)
{
    auto* edit = new QLineEdit(form.Widget());
    auto* ok = new RecordingButton(&form, form.Widget(), 10);
    auto* cancel = new RecordingButton(&form, form.Widget(), 100);
    ok->SetDefault(true);
    ok->ModalResult = mrOk;
    ok->OnClick = [&](QObject*) { EXPECT_EQ(form.ModalResult, mrOk) << "the form has its result before OnClick"; };
    cancel->SetCancel(true);
    edit->show();
    Focus(edit);
    EXPECT_TRUE(ok->ActiveDefault());
    EXPECT_TRUE(ok->style);
    Key(edit, Qt::Key_Return);
    Key(edit, Qt::Key_Escape);
    EXPECT_EQ(ok->clicks, 1);
    EXPECT_EQ(cancel->clicks, 1);

    // With the focus on another button that one is the default for now.
    Focus(cancel);
    EXPECT_FALSE(ok->ActiveDefault());
    EXPECT_FALSE(ok->style);
    EXPECT_TRUE(cancel->ActiveDefault());
    Key(cancel, Qt::Key_Return);
    EXPECT_EQ(cancel->clicks, 2);
    EXPECT_EQ(ok->clicks, 1);
}

// The owner-drawn faces per state are shown on the library's button
// (Button.FacesShowEachState...).
TEST_F(PushButton, EnterAndLeaveAreToldOnceAlsoWhenDraggedOutAndBack)
{
    auto* button = new RecordingButton(&form, form.Widget(), 10);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    QCoreApplication::sendEvent(button, &enter);
    auto mouse = [&](QEvent::Type type, int x, Qt::MouseButtons held) {
        QMouseEvent event(type, QPoint(x, 12), button->mapToGlobal(QPoint(x, 12)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    };
    mouse(QEvent::MouseButtonPress, 30, Qt::LeftButton);
    for (int x : {200, 210, 20}) mouse(QEvent::MouseMove, x, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 20, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    button->SetEnabled(false);
    EXPECT_EQ(button->messages,
              (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE, CM_MOUSEENTER, CM_MOUSELEAVE, CM_ENABLEDCHANGED}));
    EXPECT_EQ(button->clicks, 1);
}
