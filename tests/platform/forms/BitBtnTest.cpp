#include "platform/forms/Buttons.h"

#include "platform/forms/Form.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <set>

using namespace velvane;

namespace {

int OpaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) == 255;
    return count;
}

} // namespace

// Every kind reads in the programs' language and shows a picture of its own,
// as the button paints it.
TEST(BitBtn, EachKindGivesAPortugueseCaptionAPictureAndItsResult)
{
    test::EnsureQtApp();
    const struct {
        TBitBtnKind kind;
        const char* caption;
        int result;
    } kinds[] = {
        {TBitBtnKind::bkOK, "OK", mrOk},         {TBitBtnKind::bkCancel, "Cancelar", mrCancel},
        {TBitBtnKind::bkHelp, "&Ajuda", mrNone}, {TBitBtnKind::bkYes, "&Sim", mrYes},
        {TBitBtnKind::bkNo, "&Não", mrNo},       {TBitBtnKind::bkClose, "&Fechar", mrNone},
        {TBitBtnKind::bkAbort, "Abortar", mrAbort}, {TBitBtnKind::bkRetry, "&Repetir", mrRetry},
        {TBitBtnKind::bkIgnore, "&Ignorar", mrIgnore}, {TBitBtnKind::bkAll, "&Todos", mrAll},
    };
    TForm form(nullptr);
    std::set<std::vector<uchar>> pictures;
    for (const auto& k : kinds) {
        TBitBtn button(&form, form.Widget());
        button.SetKind(k.kind);
        EXPECT_EQ(button.text(), QString::fromUtf8(k.caption));
        EXPECT_EQ(button.ModalResult, k.result) << k.caption;
        const QImage glyph = BitBtnGlyph(k.kind);
        ASSERT_EQ(glyph.size(), QSize(BitBtnGlyphSize, BitBtnGlyphSize)) << k.caption;
        EXPECT_GT(OpaquePixels(glyph), 20) << k.caption;
        EXPECT_EQ(qAlpha(glyph.pixel(0, BitBtnGlyphSize - 1)), 0) << "a clear ground: " << k.caption;
        EXPECT_EQ(button.icon().pixmap(BitBtnGlyphSize).toImage().convertToFormat(QImage::Format_ARGB32), glyph)
            << k.caption;
        pictures.insert(std::vector<uchar>(glyph.constBits(), glyph.constBits() + glyph.sizeInBytes()));

        form.ModalResult = mrNone;
        button.click();
        EXPECT_EQ(form.ModalResult, k.result) << k.caption;
    }
    EXPECT_EQ(pictures.size(), std::size(kinds)) << "no two kinds look alike";
    EXPECT_TRUE(BitBtnGlyph(TBitBtnKind::bkCustom).isNull());
}

// A kind set again, as a form stored with that kind is given it once more,
// keeps the caption set since; another kind takes its own.
TEST(BitBtn, TheKindItHasAlreadyKeepsTheCaption)
{
    test::EnsureQtApp();
    TForm form(nullptr);
    TBitBtn button(&form, form.Widget());
    button.SetKind(TBitBtnKind::bkAll);
    button.setText("&Aplicar imagem");
    button.ModalResult = mrOk;
    button.SetKind(TBitBtnKind::bkAll);
    EXPECT_EQ(button.text(), "&Aplicar imagem");
    EXPECT_EQ(button.ModalResult, mrOk);
    button.SetKind(TBitBtnKind::bkIgnore);
    EXPECT_EQ(button.text(), "&Ignorar");
    EXPECT_EQ(button.ModalResult, mrIgnore);
    button.SetKind(TBitBtnKind::bkCustom);
    EXPECT_TRUE(button.icon().isNull());
}
