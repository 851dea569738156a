// A 16 x 16 masked cell drawn 100,000 times: through BltImage (mask ANDed,
// image ORed, as the image lists draw) against QPainter::drawImage of the
// same cell as a premultiplied image, onto the same 64 x 64 RGB32 target.
// Run by hand: build/bench/bench_BltImageBench

#include "components/drawing/DrawRoutinesBitmaps.h"

#include <benchmark/benchmark.h>

#include <QPainter>

using namespace velvane;

namespace {

constexpr int Draws = 100000;
constexpr int Cell = 16;

// A ring: opaque where 4 <= distance from the centre < 7.
bool Opaque(int x, int y)
{
    const int dx = 2 * x - Cell + 1, dy = 2 * y - Cell + 1;
    const int d2 = dx * dx + dy * dy;
    return d2 >= 64 && d2 < 196;
}

QRgb Colour(int x, int y)
{
    return qRgb(16 * x, 16 * y, 255 - 8 * (x + y));
}

void BM_BltImage_MaskedCell(benchmark::State& state)
{
    TBitmap image, mask, target;
    image.SetSize(Cell, Cell);
    mask.SetSize(Cell, Cell);
    mask.SetMonochrome(true);
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x) {
            image.Image().setPixel(x, y, Opaque(x, y) ? Colour(x, y) : qRgb(0, 0, 0));
            mask.Image().setPixel(x, y, Opaque(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    target.SetSize(64, 64);
    const TRect cell = Rect(0, 0, Cell, Cell);
    const TRect to = Bounds(24, 24, Cell, Cell);
    TRect drawn;
    for (auto _ : state) {
        for (int i = 0; i < Draws; ++i)
            BltImage(target.Canvas(), to, &image.Canvas(), drawn, &mask, nullptr, 0, dfMasked, cell);
        benchmark::DoNotOptimize(target.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * Draws);
}

void BM_QPainter_PremultipliedCell(benchmark::State& state)
{
    QImage cell(Cell, Cell, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x) cell.setPixel(x, y, Opaque(x, y) ? Colour(x, y) : 0);
    QImage target(64, 64, QImage::Format_RGB32);
    target.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&target);
        for (int i = 0; i < Draws; ++i) painter.drawImage(24, 24, cell);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * Draws);
}

} // namespace

BENCHMARK(BM_BltImage_MaskedCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainter_PremultipliedCell)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
