// Compressing and decompressing 10 MB of mixed data (text, two bitmap files,
// random bytes) as compressed streams of LZRW blocks, against zlib at level 1
// on the same data in the same run. The counters give each side's ratio
// (compressed size / original size).
// Run by hand: build/bench/bench_LzrwBench

#include "components/foundation/VELStreamUtils.h"
#include "components/foundation/velprocs.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/rtl/Streams.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <QImage>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace velvane;

namespace {

void AppendText(std::string& out, std::size_t bytes)
{
    static const char* words[] = {"the",     "wallpaper", "picture", "de",       "papel",   "parede",  "imagem",
                                  "lista",   "desktop",   "changes", "every",    "hour",    "velvane", "kestrin",
                                  "dornwell", "a",        "of",      "settings", "connection", "banner", "http://",
                                  "www.",    "example",   "jpg",     "download", "schedule", "random",  "order"};
    std::mt19937 random(42);
    std::size_t line = 0;
    const std::size_t end = out.size() + bytes;
    while (out.size() < end) {
        out += words[random() % (sizeof words / sizeof *words)];
        line += 1;
        out += line % 12 == 0 ? "\r\n" : " ";
    }
    out.resize(end);
}

// A window-like picture: flat areas, frames, a gradient title bar.
void AppendFlatBitmap(std::string& out, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb c = qRgb(192, 192, 192);
            if (y < 24) c = qRgb(0, 0, 128 + 127 * x / w);
            else if ((x / 160 + y / 120) % 3 == 0) c = qRgb(255, 255, 255);
            if (x % 160 == 0 || y % 120 == 0) c = qRgb(128, 128, 128);
            image.setPixel(x, y, c);
        }
    out += EncodeBmp(image);
}

// A photo-like picture: smooth shapes with sensor noise.
void AppendPhotoBitmap(std::string& out, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = 0.5 + 0.5 * std::sin(x / 37.0) * std::cos(y / 23.0);
            auto noisy = [&](double base) { return std::clamp(static_cast<int>(base) + static_cast<int>(random() % 7) - 3, 0, 255); };
            image.setPixel(x, y, qRgb(noisy(60 + 150 * v), noisy(90 + 120 * (1 - v)), noisy(40 + 80 * v)));
        }
    out += EncodeBmp(image);
}

const std::string& Mixed()
{
    static const std::string data = [] {
        std::string d;
        AppendText(d, 4 * 1024 * 1024);
        AppendFlatBitmap(d, 1280, 800);
        AppendPhotoBitmap(d, 640, 480);
        std::mt19937 random(99);
        while (d.size() < 10 * 1000 * 1000) d.push_back(static_cast<char>(random()));
        return d;
    }();
    return data;
}

TMemoryStream Packed()
{
    TMemoryStream source;
    source.WriteBuffer(Mixed().data(), static_cast<std::int64_t>(Mixed().size()));
    source.SetPosition(0);
    TMemoryStream packed;
    WriteCompressedStream(source, packed, source.Size());
    return packed;
}

void BM_Lzrw_Compress(benchmark::State& state)
{
    TMemoryStream source;
    source.WriteBuffer(Mixed().data(), static_cast<std::int64_t>(Mixed().size()));
    std::int64_t packedSize = 0;
    for (auto _ : state) {
        source.SetPosition(0);
        TMemoryStream packed;
        WriteCompressedStream(source, packed, source.Size());
        packedSize = packed.Size();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Mixed().size()));
    state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(Mixed().size());
}

void BM_Lzrw_Decompress(benchmark::State& state)
{
    TMemoryStream packed = Packed();
    for (auto _ : state) {
        packed.SetPosition(0);
        TMemoryStream out;
        ReadCompressedStream(packed, out, INT64_MAX);
        if (out.Size() != static_cast<std::int64_t>(Mixed().size())) state.SkipWithError("round trip lost bytes");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Mixed().size()));
    state.counters["ratio"] = static_cast<double>(packed.Size()) / static_cast<double>(Mixed().size());
}

void BM_Zlib1_Compress(benchmark::State& state)
{
    std::vector<Bytef> out(compressBound(Mixed().size()));
    uLongf size = 0;
    for (auto _ : state) {
        size = out.size();
        compress2(out.data(), &size, reinterpret_cast<const Bytef*>(Mixed().data()), Mixed().size(), 1);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Mixed().size()));
    state.counters["ratio"] = static_cast<double>(size) / static_cast<double>(Mixed().size());
}

void BM_Zlib1_Decompress(benchmark::State& state)
{
    std::vector<Bytef> packed(compressBound(Mixed().size()));
    uLongf packedSize = packed.size();
    compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(Mixed().data()), Mixed().size(), 1);
    std::vector<Bytef> out(Mixed().size());
    for (auto _ : state) {
        uLongf size = out.size();
        if (uncompress(out.data(), &size, packed.data(), packedSize) != Z_OK || size != Mixed().size())
            state.SkipWithError("zlib round trip failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Mixed().size()));
    state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(Mixed().size());
}

} // namespace

BENCHMARK(BM_Lzrw_Compress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib1_Compress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lzrw_Decompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib1_Decompress)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
