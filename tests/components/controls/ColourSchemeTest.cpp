#include "components/ComponentLibrary.h"
#include "components/controls/VELButton.h"
#include "components/controls/VELDrawEdge.h"
#include "components/foundation/velclass.h"
#include "tests/support/PixelMap.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>

using namespace velvane;

// Qt's light palette, then a dark one set while all shows (its button colour
// is not its window colour, as in some schemes): faces are the window's
// colour; frames, disabled glyphs and captions take the palette's shades and
// text colour.
TEST(ColourScheme, WhatTheLibraryDrawsFollowsTheApplicationsPaletteAsItChanges)
{
    test::EnsureApplication();
    test::TempEnv env;
    TComponentLibrary library;
    const QPalette saved = QApplication::palette();
    TForm form{nullptr};
    auto* text = new TVELButton(&form, form.Widget());
    text->SetCaption("Ok");
    auto* off = new TVELButton(&form, form.Widget());
    test::Rows rows(16, std::string(16, 'o'));  // disabled, only the black block is embossed
    for (int y = 6; y < 10; ++y) rows[y].replace(6, 4, "KKKK");
    const test::PaintedBitmap glyph(rows);
    off->SetGlyph(&glyph), off->SetUseCaption(false), off->SetEnabled(false);
    (new TVELDrawEdge(&form, form.Widget()))->SetBounds(10, 45, 40, 20);
    text->SetBounds(10, 10, 75, 25), off->SetBounds(100, 10, 75, 25), form.SetBounds(0, 0, 200, 80), form.Show();

    for (const QPalette& p : {QApplication::style()->standardPalette(), QPalette(QColor(0x3C3C3C), QColor(0x353535))}) {
        QApplication::setPalette(p);
        QCoreApplication::sendPostedEvents();  // how Qt tells the widgets
        const QImage shot = form.Widget()->grab().toImage();
        auto is = [&](int x, int y, QPalette::ColorRole role) { return shot.pixel(x, y) == p.color(role).rgb(); };
        int odd = 0, ink = 255;  // pixels of the faces' top rows not the form's; the text's nearest to its colour
        for (int x = 12; x < 173; ++x) odd += !is(x, 12, QPalette::Window) && (x < 83 || x > 101);
        for (int x = 30; x < 65; ++x)
            for (int y = 15; y < 30; ++y)
                ink = std::min(ink, std::abs(qGray(shot.pixel(x, y)) - qGray(p.color(QPalette::WindowText).rgb())));
        EXPECT_EQ(odd, 0);
        EXPECT_LT(ink, 64) << "the caption in the window's text colour";
        EXPECT_TRUE(is(10, 10, QPalette::Light) && is(84, 34, QPalette::Shadow) && is(20, 45, QPalette::Dark) &&
                    is(20, 46, QPalette::Light)) << "raised and etched frames";
        EXPECT_TRUE(is(135, 20, QPalette::Dark) && is(139, 24, QPalette::Light)) << "embossed";  // glyph at (29, 4)
        EXPECT_EQ(GlobalApplication->GetCheckerBitmap(clBtnFace)->Canvas().Pixels(1, 0),
                  QRgbToColor(p.color(QPalette::Window).rgb()));
    }
    QApplication::setPalette(saved);
}
