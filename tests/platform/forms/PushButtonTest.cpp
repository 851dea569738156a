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

// Paints its face red while pressed, green otherwise, with a blue corner
// while focused, and keeps what it was told.
class RecordingButton : public TButton {
public:
    RecordingButton(TComponent* owner, QWidget* parent) : TButton(owner, parent)
    {
        SetOwnerDraw(true);
        SetBounds(10, 10, 75, 25);
        show();
    }
    std::vector<UINT> messages;
    bool style = false;
    UINT lastState = 0xFFFF;
    int clicks = 0;
    void Click() override { ++clicks, TButton::Click(); }
    TColor Pixel(int x, int y) { return QRgbToColor(grab().toImage().pixel(x, y)); }

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CN_DRAWITEM) {
            const auto* item = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            lastState = item->itemState;
            item->Canvas->Brush.Color = (item->itemState & ODS_SELECTED) ? clRed : clLime;
            item->Canvas->FillRect(item->rcItem);
            item->Canvas->SetPixels(0, 0, (item->itemState & ODS_FOCUS) ? clBlue : clBlack);
        }
        if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE || m.Msg == CM_ENABLEDCHANGED) messages.push_back(m.Msg);
        TButton::WndProc(m);
    }
    void SetButtonStyle(bool isDefault) override { style = isDefault; }
};

void Key(QWidget* to, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &press), QCoreApplication::sendEvent(to, &release);
}

void Mouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, to->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(to, &event);
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
    struct QtFirst {
        QtFirst() { velvane::test::EnsureQtApp(); }
    } qt;
    TForm form{nullptr};
};

} // namespace

TEST_F(PushButton, MouseSpaceAndReturnEachClickOnce)
{
    auto* button = new RecordingButton(&form, form.Widget());
    button->ModalResult = mrOk;
    int handled = 0;
    button->OnClick = [&](QObject*) {
        EXPECT_EQ(form.ModalResult, mrOk) << "the form has its result before OnClick";
        ++handled;
    };
    Mouse(button, QEvent::MouseButtonPress, {30, 12}, Qt::LeftButton);
    EXPECT_EQ(button->clicks, 0) << "a click is a press and a release";
    Mouse(button, QEvent::MouseButtonRelease, {30, 12}, Qt::NoButton);
    EXPECT_EQ(button->clicks, 1);
    button->setFocus();
    Key(button, Qt::Key_Space);
    EXPECT_EQ(button->clicks, 2);
    Key(button, Qt::Key_Return);
    EXPECT_EQ(button->clicks, 3);
    EXPECT_EQ(handled, 3);
}

TEST_F(PushButton, ReturnClicksTheActiveDefaultAndEscapeTheCancelButton)
{
    auto* edit = new QLineEdit(form.Widget());
    auto* ok = new RecordingButton(&form, form.Widget());
    auto* cancel = new RecordingButton(&form, form.Widget());
    cancel->SetBounds(100, 10, 75, 25);
    ok->SetDefault(true);
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

TEST_F(PushButton, OwnerDrawnFaceAndMouseTracking)
{
    auto* button = new RecordingButton(&form, form.Widget());
    EXPECT_EQ(button->Pixel(40, 12), clLime);
    EXPECT_EQ(button->lastState, 0u);
    button->setDown(true);
    EXPECT_EQ(button->Pixel(40, 12), clRed);
    EXPECT_EQ(button->lastState, ODS_SELECTED);
    button->setDown(false);
    Focus(button);
    EXPECT_EQ(button->Pixel(0, 0), clBlue);
    EXPECT_EQ(button->lastState, ODS_FOCUS);

    // Enter and leave are told once each, also when the mouse is dragged
    // out and back in with the button held.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    QCoreApplication::sendEvent(button, &enter);
    Mouse(button, QEvent::MouseButtonPress, {30, 12}, Qt::LeftButton);
    Mouse(button, QEvent::MouseMove, {200, 12}, Qt::LeftButton);
    Mouse(button, QEvent::MouseMove, {210, 12}, Qt::LeftButton);
    Mouse(button, QEvent::MouseMove, {20, 12}, Qt::LeftButton);
    Mouse(button, QEvent::MouseButtonRelease, {20, 12}, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    button->SetEnabled(false);
    EXPECT_EQ(button->messages,
              (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE, CM_MOUSEENTER, CM_MOUSELEAVE, CM_ENABLEDCHANGED}));
    EXPECT_EQ(button->clicks, 1);
    button->Pixel(0, 0);
    EXPECT_EQ(button->lastState & ODS_DISABLED, ODS_DISABLED);
}
