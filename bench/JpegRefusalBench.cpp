// How quickly, and in how little memory, the decoder refuses small files
// that claim huge progressive pictures (beyond the pixel cap, or within it
// but over libjpeg's memory budget). peak_rss_MB is the process's high-water
// mark, which a refusal should leave near the program's own size; run one
// case at a time to read it: build/bench/bench_JpegRefusalBench --benchmark_filter=Grey

#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/CraftedJpeg.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace velvane;

namespace {

void Refuse(benchmark::State& state, int width, int height, int components)
{
    const std::string file = test::ProgressiveGreyJpeg(width, height, components);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(DecodeJpeg(file));
            state.SkipWithError("the picture was decoded");
        } catch (const EJPEG&) {
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_KB"] = static_cast<double>(file.size()) / 1024;
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_Refuse_16384Grey(benchmark::State& state) { Refuse(state, 16384, 16384, 1); }
void BM_Refuse_16384Colour(benchmark::State& state) { Refuse(state, 16384, 16384, 3); }
void BM_Refuse_8192ColourOverBudget(benchmark::State& state) { Refuse(state, 8192, 8192, 3); }

} // namespace

BENCHMARK(BM_Refuse_16384Grey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Refuse_16384Colour)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Refuse_8192ColourOverBudget)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
