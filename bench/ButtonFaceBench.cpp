// One 75 x 25 push button with a 16 x 16 glyph and the caption "&OK" painted
// 10,000 times: our owner-drawn button answering its draw request on a
// canvas (face, glyph through its mask, caption) against QStyle::drawControl
// of a QPushButton of the same size, icon and text, in the same run.
// Run by hand: build/bench/bench_ButtonFaceBench

#include "components/controls/VELButton.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

using namespace velvane;

namespace {

constexpr int Paints = 10000;

// A blue disc on olive, 16 x 16.
QImage GlyphImage()
{
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            image.setPixel(x, y, dx * dx + dy * dy < 196 ? qRgb(0, 0, 255) : qRgb(128, 128, 0));
        }
    return image;
}

void BM_VELButton_OwnerDrawn(benchmark::State& state)
{
    TVELButton button(nullptr);
    button.SetCaption("&OK");
    TBitmap glyph;
    glyph.Image() = GlyphImage();
    button.SetGlyph(&glyph);
    QImage picture(75, 25, QImage::Format_RGB32);
    TCanvas canvas(picture);
    TDrawItemStruct item;
    item.Canvas = &canvas;
    item.rcItem = TRect{0, 0, 75, 25};
    for (auto _ : state) {
        for (int i = 0; i < Paints; ++i) button.Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations() * Paints);
}

void BM_QStyle_PushButton(benchmark::State& state)
{
    QPushButton button(QStringLiteral("&OK"));
    button.resize(75, 25);
    QImage masked = GlyphImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (masked.pixel(x, y) == qRgb(128, 128, 0)) masked.setPixel(x, y, 0);
    button.setIcon(QIcon(QPixmap::fromImage(masked)));
    button.setIconSize(QSize(16, 16));
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = QRect(0, 0, 75, 25);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QImage picture(75, 25, QImage::Format_RGB32);
    QStyle* style = button.style();
    for (auto _ : state) {
        QPainter painter(&picture);
        for (int i = 0; i < Paints; ++i) style->drawControl(QStyle::CE_PushButton, &option, &painter, &button);
        painter.end();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations() * Paints);
}

} // namespace

BENCHMARK(BM_VELButton_OwnerDrawn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QStyle_PushButton)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
