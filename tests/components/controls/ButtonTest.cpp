#include "components/ComponentLibrary.h"
#include "components/controls/VELButton.h"
#include "components/foundation/velclass.h"
#include "platform/forms/TabOrder.h"
#include "platform/graphics/GraphicIdents.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/PixelMap.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

#include <tuple>

using namespace velvane;

namespace {

struct Button : ::testing::Test {
    Button()
    {
        form.SetBounds(100, 100, 300, 120);
        form.Show();
        QApplication::setActiveWindow(form.Widget());
        button = new TVELButton(&form, form.Widget());
        button->SetBounds(10, 10, 75, 25);
        button->OnClick = [this](QObject*) { ++clicks; };
        button->show();
    }

    void Mouse(QEvent::Type type, int x, Qt::MouseButtons held = Qt::LeftButton)
    {
        QMouseEvent event(type, QPoint(x, 12), button->mapToGlobal(QPoint(x, 12)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
    void Hover(bool inside)
    {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, inside ? static_cast<QEvent*>(&enter) : &leave);
    }
    // Ticks of the application object's timer pool (50 ms each).
    void Tick(int n) { while (n-- > 0) SendMessageA(GlobalApplication->TimerPool()->WindowHandle(), WM_TIMER, 1, 0); }
    // Letters of the button's pixels as last painted (PixelMap.h).
    std::string At(std::initializer_list<QPoint> points)
    {
        const QImage shown = button->grab().toImage();
        std::string letters;
        for (QPoint p : points) letters += test::LetterOfColour(QRgbToColor(shown.pixel(p)));
        return letters;
    }

    bool started = (test::EnsureApplication(), true);
    test::TempEnv env;
    test::ClassicColours classic;
    TComponentLibrary library;
    TForm form{nullptr};
    TVELButton* button = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(Button, MouseAndKeysClickOnceAndAHeldPressRepeatsOnThePoolClock)
{
    Mouse(QEvent::MouseButtonPress, 30);
    Mouse(QEvent::MouseButtonRelease, 30, Qt::NoButton);
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
    Hover(true);
    Mouse(QEvent::MouseButtonPress, 30);
    Tick(2);
    EXPECT_EQ(clicks, 0);
    Tick(5);
    EXPECT_EQ(clicks, 3) << "after the delay, then every 100 ms";
    // Held outside the button the timer runs on without clicking.
    Mouse(QEvent::MouseMove, 200);
    Tick(6);
    Mouse(QEvent::MouseMove, 30);
    Tick(2);
    EXPECT_EQ(clicks, 4);
    Mouse(QEvent::MouseButtonRelease, 30, Qt::NoButton);
    EXPECT_EQ(clicks, 5) << "and the ordinary click on release";
    EXPECT_FALSE(GlobalApplication->TimerPool()->Active()) << "its timer released";
}

TEST_F(Button, FacesShowEachStateAndTellEnteringOnlyFromTheNormalOne)
{
    // Normal cell red, disabled cell blue, each 16 x 16 with an olive corner.
    test::Rows rows(16, std::string(16, 'R') + std::string(16, 'B'));
    rows[15][0] = rows[15][16] = 'o';
    TBitmap glyph;
    test::Paint(glyph, rows);
    button->SetGlyph(&glyph);
    button->SetUseCaption(false);
    int entered = 0, left = 0;
    button->OnMouseEnter = [&](TPersistent*) { ++entered; };
    button->OnMouseExit = [&](TPersistent*) { ++left; };

    // Corner, inside, bottom right, glyph centre, glyph corner (see-through).
    EXPECT_EQ(At({{0, 0}, {1, 1}, {74, 24}, {37, 12}, {29, 19}}), ".sKRs") << "raised";
    Hover(true);
    EXPECT_EQ(At({{37, 12}}), "R") << "hot, without a hot cell: the normal one";
    button->setDown(true);
    EXPECT_EQ(At({{0, 0}, {1, 1}, {38, 13}}), "KgR") << "pressed: sunk, the glyph moved by one";
    Hover(false);
    At({{0, 0}});
    Hover(true);
    button->setDown(false);
    Hover(false);
    EXPECT_EQ(entered, 1) << "not into a button drawn pressed";
    // Focused, it is the default for now: a dark frame and dots inside.
    button->setFocus();
    test::ProcessEventsUntil([&] { return button->hasFocus(); });
    EXPECT_EQ(At({{0, 0}, {1, 1}, {4, 4}, {5, 4}, {6, 4}}), "K.?s?");
    button->SetEnabled(false);
    EXPECT_EQ(At({{37, 12}}), "B") << "disabled: its own cell";
    Hover(true);
    Hover(false);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 3) << "leaving is always told";
}

TEST_F(Button, GlyphsFromAnImageListAndStoredFormsReadBack)
{
    TVELImageList* list = GlobalContainer->ImageList();
    auto* item = static_cast<TVELImageListItem*>(list->GetItem(list->AddItem(nullptr)));
    item->SetWidth(8), item->SetHeight(8);
    TBitmap red, lime;
    test::Paint(red, test::Rows(8, std::string(8, 'R'))), test::Paint(lime, test::Rows(8, std::string(8, 'G')));
    item->AddImage(&red, nullptr), item->AddImage(&lime, nullptr);
    button->SetImageList(list);
    button->SetIndex(0, 1);
    EXPECT_EQ(button->Glyph().Canvas().Pixels(3, 3), clLime);
    button->SetIndex(0, -1);
    EXPECT_EQ(button->ImageIndex(), 1) << "negative indexes are ignored";

    // The shared list travels by its name; the look as written.
    button->SetExtStyle(TVELUserButtonStyle::ubsFlat);
    button->RepeatingDelay = 300;
    button->ButtonLayout().SetAlignment(TVELAlignment::agBottomLeft);
    const String bytes = test::StoredFormOf(button);
    TVELButton copy(nullptr, form.Widget());
    test::ReadStoredForm(bytes, &copy);
    EXPECT_EQ(test::StoredFormOf(&copy), bytes);
    EXPECT_EQ(copy.ImageList(), list);
    // An older form names the look "Style"; it is written back as ExtStyle.
    String old = bytes;
    const String look = String("\x08" "ExtStyle\x07\x07" "ubsFlat");
    old.replace(old.find(look), look.size(), String("\x05" "Style\x07\x08" "nbsWin40"));
    test::ReadStoredForm(old, &copy);
    EXPECT_EQ(copy.ExtStyle(), TVELUserButtonStyle::ubsWin40);

    // A glyph of its own drops the list; a freed list is forgotten.
    copy.SetGlyph(&red);
    EXPECT_EQ(copy.ImageList(), nullptr);
    auto* freed = new TVELImageList(nullptr);
    button->SetImageList(freed);
    EXPECT_TRUE(button->Glyph().Empty()) << "an empty list: no glyph";
    delete freed;
    EXPECT_EQ(button->ImageList(), nullptr);
}

TEST_F(Button, EveryStoredPropertyReadsBackAndColoursGoByName)
{
    new TVELButton(&form, form.Widget());  // somewhere for the tab order to go
    // Two 16 x 16 cells: red and blue.
    TBitmap glyph;
    test::Paint(glyph, test::Rows(16, std::string(16, 'R') + std::string(16, 'B')));
    button->SetGlyph(&glyph);
    button->SetColor(clRed);
    TFont font;
    font.Name = "DejaVu Serif";
    font.Size = 12;
    font.Style = fsBold | fsItalic;
    font.Color = clBtnFace;
    font.Charset = SYMBOL_CHARSET;
    button->SetFont(font);
    button->Hints().SetShowHint(true);
    SetTabOrder(button, 1);
    SetTabStop(button, false);
    const String bytes = test::StoredFormOf(button);
    for (const String& named : {String("\x05" "Color\x07\x05" "clRed"), String("\x0A" "Font.Color\x07\x09" "clBtnFace"),
                               String("\x0C" "Font.Charset\x07\x0E" "SYMBOL_CHARSET")})
        EXPECT_NE(bytes.find(named), String::npos) << named;

    // Into a new window, where the button is the first of two at first.
    TForm other{nullptr};
    auto* copy = new TVELButton(&other, other.Widget());
    new TVELButton(&other, other.Widget());
    test::ReadStoredForm(bytes, copy);
    EXPECT_EQ(test::StoredFormOf(copy), bytes);
    EXPECT_EQ(test::RowsOf(copy->Glyph()), test::RowsOf(glyph));
    EXPECT_EQ(copy->NumGlyphs(), 2);
    EXPECT_EQ(copy->Color(), clRed);
    EXPECT_FALSE(copy->ParentColor());
    EXPECT_FALSE(copy->ParentFont);
    const auto fields = [](const TFont& f) { return std::tuple(f.Name, f.Size, f.Style, f.Color, f.Charset); };
    EXPECT_EQ(fields(copy->Font()), fields(font));
    EXPECT_TRUE(copy->Hints().ShowHint());
    EXPECT_FALSE(copy->Hints().ParentShowHint());
    EXPECT_EQ(TabOrderOf(copy), 1);
    EXPECT_FALSE(TabStopOf(copy));

    // The drop-down menu, a component of the same form, by its name.
    RegisterClass<TPopupMenu>("TPopupMenu");
    TComponent holder(nullptr), back(nullptr);
    auto* popup = new TPopupMenu(&holder);
    popup->SetName("Popup");
    auto* dropping = new TVELButton(&holder);
    dropping->SetName("Dropping");
    dropping->SetDropDownMenu(popup);
    test::ReadStoredForm(test::StoredFormOf(&holder), &back);
    auto* read = dynamic_cast<TVELButton*>(back.FindComponent("Dropping"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DropDownMenu(), back.FindComponent("Popup"));
    delete back.FindComponent("Popup");
    EXPECT_EQ(read->DropDownMenu(), nullptr);

    // Forms of elsewhere: a system colour as a number, a name in any case,
    // and a name that is no colour.
    auto replaced = [&](const String& what, const String& with) {
        String form = bytes;
        return form.replace(form.find(what), what.size(), with);
    };
    const std::int32_t btnFace = static_cast<std::int32_t>(clBtnFace);
    test::ReadStoredForm(replaced("\x07\x05" "clRed", "\x04" + String(reinterpret_cast<const char*>(&btnFace), 4)), copy);
    EXPECT_EQ(copy->Color(), clBtnFace);
    EXPECT_NE(test::StoredFormOf(copy).find("Color\x07\x09" "clBtnFace"), String::npos);
    test::ReadStoredForm(replaced("clRed", "CLRED"), copy);
    EXPECT_EQ(copy->Color(), clRed);
    EXPECT_THROW(test::ReadStoredForm(replaced("clRed", "clRee"), copy), EReadError);

    // Its hint shows only while it is to.
    button->setToolTip("Dica");
    for (bool shows : {true, false}) {
        button->Hints().SetShowHint(shows);
        QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(button, &tip);
        EXPECT_EQ(tip.isAccepted(), shows);
    }
    QToolTip::hideText();
}

TEST_F(Button, ADropDownMenuOpensUnderTheButtonShownPressed)
{
    auto* popup = new TPopupMenu(&form, form.Widget());
    QMenu& menu = *popup->Items();
    menu.addAction("Item");
    button->SetDropDownMenu(popup);
    button->DropDownIndent = 4;
    button->OnDropDown = [&](QObject*) { clicks += 10; };
    QPoint openedAt;
    QTimer::singleShot(0, &menu, [&] {
        if (button->isDown() && button->Dropping()) openedAt = menu.pos();
        menu.close();
    });
    button->click();
    EXPECT_EQ(clicks, 11) << "OnClick, then OnDropDown";
    EXPECT_EQ(openedAt, button->mapToGlobal(QPoint(4, 25))) << "shown pressed, below the button";
    EXPECT_FALSE(button->isDown());
}
