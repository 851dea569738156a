#include "components/VELButton.h"
#include "components/velclass.h"
#include "platform/forms/Form.h"
#include "tests/support/PixelMaps.h"
#include "tests/support/QtApp.h"
#include "tests/support/Raises.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <memory>

using namespace velvane;

namespace {

void Mouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, to->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(to, &event);
}

void Enter(QWidget* to)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(to, &enter);
}

void Leave(QWidget* to)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(to, &leave);
}

struct Button : ::testing::Test {
    Button()
    {
        GlobalApplication = &app;
        form.SetBounds(100, 100, 300, 120);
        form.Show();
        QApplication::setActiveWindow(form.Widget());
        button = new TVELButton(&form, form.Widget());
        button->SetBounds(10, 10, 75, 25);
        button->OnClick = [this](QObject*) { ++clicks; };
        button->show();
    }
    ~Button() override { GlobalApplication = nullptr; }

    // One tick of the application object's timer pool (50 ms).
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i) SendMessageA(app.TimerPool()->WindowHandle(), WM_TIMER, 1, 0);
    }
    QImage Shown() { return button->grab().toImage(); }
    char At(const QImage& image, int x, int y) { return test::LetterOfColour(QRgbToColor(image.pixel(x, y))); }

    struct Start {
        Start() { test::EnsureApplication(); }
    } start;
    test::TempEnv env;
    TVELApplication app;
    TForm form{nullptr};
    TVELButton* button = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(Button, MouseAndKeysClickOnceAndAHeldPressRepeatsOnThePoolClock)
{
    Mouse(button, QEvent::MouseButtonPress, {30, 12}, Qt::LeftButton);
    Mouse(button, QEvent::MouseButtonRelease, {30, 12}, Qt::NoButton);
    button->setFocus();
    for (int key : {Qt::Key_Space, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press), QCoreApplication::sendEvent(button, &release);
    }
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(button->RepeatTimer(), 0) << "no repeating unless asked";

    // 120 ms is no whole number of 50 ms ticks: taken as 150, not refused.
    clicks = 0;
    button->RepeatedClick = true;
    button->RepeatingDelay = 120;
    Enter(button);
    Mouse(button, QEvent::MouseButtonPress, {30, 12}, Qt::LeftButton);
    ASSERT_NE(button->RepeatTimer(), 0);
    Tick(2);
    EXPECT_EQ(clicks, 0);
    Tick(1);
    EXPECT_EQ(clicks, 1) << "first repeat after the delay";
    Tick(4);
    EXPECT_EQ(clicks, 3) << "then every 100 ms";
    // Held outside the button the timer runs on without clicking.
    Mouse(button, QEvent::MouseMove, {200, 12}, Qt::LeftButton);
    Tick(6);
    EXPECT_EQ(clicks, 3);
    Mouse(button, QEvent::MouseMove, {30, 12}, Qt::LeftButton);
    Tick(2);
    EXPECT_EQ(clicks, 4);
    const std::uint16_t ident = button->RepeatTimer();
    Mouse(button, QEvent::MouseButtonRelease, {30, 12}, Qt::NoButton);
    EXPECT_EQ(clicks, 5) << "and the ordinary click on release";
    EXPECT_EQ(app.FindTimer(ident), nullptr);
    EXPECT_EQ(button->RepeatTimer(), 0);

    // Every slot taken: the press says so.
    while (app.AllocTimer(50, nullptr) != 0) {
    }
    EXPECT_EQ(test::MessageOf<EOutOfResources>([&] { button->Perform(WM_LBUTTONDOWN, 0, 0); }),
              "Not enough timers available");
}

TEST_F(Button, MouseEnterIsToldOnlyFromTheNormalLookAndLeaveAlways)
{
    int entered = 0, left = 0;
    button->OnMouseEnter = [&](TPersistent* sender) { entered += sender == button; };
    button->OnMouseExit = [&](TPersistent*) { ++left; };
    Enter(button);
    EXPECT_TRUE(button->Hot());
    Shown();
    EXPECT_EQ(button->DrawnState(), 2);
    Leave(button);
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(button->DrawnState(), 0);
    button->SetEnabled(false);
    Shown();
    Enter(button);
    Leave(button);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 2);

    // Hidden, it is no longer under the mouse.
    button->SetEnabled(true);
    Shown();
    Enter(button);
    button->SetVisible(false);
    EXPECT_FALSE(button->Hot());
}

TEST_F(Button, ClassicFacesShowEachStateWithItsGlyphCell)
{
    // Normal cell red, disabled cell blue, on olive; 16 x 16 each.
    TBitmap glyph;
    test::Paint(glyph, test::Rows(16, std::string(16, 'R') + std::string(16, 'B')));
    glyph.Canvas().SetPixels(0, 15, 0x008080);
    glyph.Canvas().SetPixels(16, 15, 0x008080);
    button->SetGlyph(&glyph);
    button->SetUseCaption(false);
    EXPECT_EQ(button->NumGlyphs(), 2);

    QImage face = Shown();
    EXPECT_EQ(std::string() + At(face, 0, 0) + At(face, 74, 24) + At(face, 1, 1), ".Ks") << "raised, no dark frame";
    EXPECT_EQ(At(face, 37, 12), 'R');
    EXPECT_EQ(At(face, 37 - 8, 12 + 7), 's') << "the olive corner is see-through";
    Enter(button);
    EXPECT_EQ(At(Shown(), 37, 12), 'R') << "hot without a hot cell: the normal one";
    button->setDown(true);
    face = Shown();
    EXPECT_EQ(std::string() + At(face, 0, 0) + At(face, 1, 1) + At(face, 38, 13), "KgR") << "pressed: sunk and moved";
    button->setDown(false);
    Leave(button);

    // Focused (the default for now): a dark frame and dots inside.
    button->setFocus();
    test::ProcessEventsUntil([&] { return button->hasFocus(); });
    face = Shown();
    EXPECT_EQ(std::string() + At(face, 0, 0) + At(face, 1, 1), "K.");
    int dots = 0;
    for (int x = 4; x < 71; ++x) dots += At(face, x, 4) == '?';
    EXPECT_GT(dots, 20);

    button->SetEnabled(false);
    face = Shown();
    EXPECT_EQ(At(face, 37, 12), 'B');
    EXPECT_EQ(button->DrawnState(), 1);
}

TEST_F(Button, GlyphsFromItsBitmapOrAnImageList)
{
    auto list = std::make_unique<TVELImageList>(nullptr);
    auto* item = static_cast<TVELImageListItem*>(list->GetItem(list->AddItem(nullptr)));
    item->SetWidth(8);
    item->SetHeight(8);
    TBitmap red, lime;
    test::Paint(red, test::Rows(8, std::string(8, 'R')));
    test::Paint(lime, test::Rows(8, std::string(8, 'G')));
    item->AddImage(&red, nullptr);
    item->AddImage(&lime, nullptr);
    button->SetImageList(list.get());
    button->SetIndex(0, 1);
    EXPECT_EQ(button->Glyph().Canvas().Pixels(3, 3), clLime);
    button->SetIndex(0, -1);
    EXPECT_EQ(button->ImageIndex(), 1) << "negative indexes are ignored";
    button->SetIndex(0, 5);
    EXPECT_TRUE(button->Glyph().Empty()) << "no such image: no glyph";
    list.reset();
    EXPECT_EQ(button->ImageList(), nullptr);

    // Shapes: 32 x 16 is two cells, 40 x 16 keeps the count, 96 x 16 is one.
    button->SetImageList(std::make_unique<TVELImageList>(&form).release());
    TBitmap own;
    own.SetSize(32, 16);
    button->SetGlyph(&own);
    EXPECT_EQ(button->ImageList(), nullptr) << "a glyph of its own drops the list";
    EXPECT_EQ(button->NumGlyphs(), 2);
    own.SetSize(40, 16);
    button->SetGlyph(&own);
    EXPECT_EQ(button->NumGlyphs(), 2);
    own.SetSize(96, 16);
    button->SetGlyph(&own);
    EXPECT_EQ(button->NumGlyphs(), 1);
}

TEST_F(Button, ADropDownMenuOpensUnderTheButtonShownPressed)
{
    QMenu menu;
    menu.addAction("Item");
    button->SetDropDownMenu(&menu);
    button->DropDownIndent = 4;
    int dropped = 0;
    bool pressedMeanwhile = false;
    QPoint openedAt;
    button->OnDropDown = [&](QObject*) { ++dropped; };
    QTimer::singleShot(0, &menu, [&] {
        pressedMeanwhile = button->isDown() && button->Dropping();
        openedAt = menu.pos();
        menu.close();
    });
    button->click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dropped, 1);
    EXPECT_TRUE(pressedMeanwhile);
    EXPECT_EQ(openedAt, button->mapToGlobal(QPoint(4, 25)));
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(button->DrawnState(), 0);
}
