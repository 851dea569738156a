// Loading and saving an image-list document of 100,000 entries, against the
// same bytes read and written line by line with plain streams.
// Run by hand: build/bench/bench_ImageListBench

#include "editor/ImageListDocument.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace velvane;

namespace {

const std::vector<TImageEntry>& Entries()
{
    static const std::vector<TImageEntry> entries = [] {
        std::vector<TImageEntry> e;
        for (int i = 0; i < 100000; ++i)
            e.push_back({"/home/user/Imagens/viagem/foto-" + std::to_string(i) + ".jpg", i % 3 != 0});
        return e;
    }();
    return entries;
}

std::string Folder()
{
    static std::string folder = [] {
        std::string f = (std::filesystem::temp_directory_path() / "velvane-bench-XXXXXX").string();
        if (!mkdtemp(f.data())) std::abort();
        return f;
    }();
    return folder;
}

void BM_Document_Save(benchmark::State& state)
{
    std::string path = Folder() + "/doc.vnx";
    for (auto _ : state) WriteImageList(path, Entries());
}

void BM_Document_Load(benchmark::State& state)
{
    std::string path = Folder() + "/doc.vnx";
    WriteImageList(path, Entries());
    for (auto _ : state) benchmark::DoNotOptimize(ReadImageList(path));
}

// The floor: the same lines through std::ofstream and std::ifstream.
void BM_PlainStreams_Save(benchmark::State& state)
{
    std::string path = Folder() + "/plain.vnx";
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const TImageEntry& e : Entries()) out << (e.Checked ? "1|" : "0|") << e.Text << "\r\n";
    }
}

void BM_PlainStreams_Load(benchmark::State& state)
{
    std::string path = Folder() + "/plain.vnx";
    WriteImageList(path, Entries());
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::vector<TImageEntry> entries;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            entries.push_back({line.substr(2), line[0] == '1'});
        }
        benchmark::DoNotOptimize(entries);
    }
}

} // namespace

BENCHMARK(BM_Document_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Load)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
