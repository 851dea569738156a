// The editor's image lists. The document: loading and saving one of 100,000
// entries, against the same bytes read and written line by line with plain
// streams. The window's list: a document of 1,000 to 100,000 entries opened
// into the main window's check list, as it stands and once "Organizar" has
// sorted the list.
// Run by hand: build/bench/bench_ImageListBench [Google Benchmark flags]

#include "editor/ImageListDocument.h"
#include "editor/Main.h"
#include "platform/forms/Application.h"

#include <benchmark/benchmark.h>

#include <QListWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
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

// One main window per mode, on settings and data folders of the benchmark's
// own, without a display and without its connection watch.
TMainForm& Window(bool sorted)
{
    static std::map<bool, TMainForm*> windows;
    if (!Application) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("XDG_CONFIG_HOME", (Folder() + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (Folder() + "/data").c_str(), 1);
        static int argc = 1;
        static char name[] = "bench_ImageListBench";
        static char* argv[] = {name, nullptr};
        new TApplication(argc, argv);
        TMainForm::WatchConnection = false;
    }
    TMainForm*& window = windows[sorted];
    if (!window) {
        // Owned by no one: two windows of the same name.
        window = new TMainForm(nullptr);
        window->DoCreate();
        if (sorted) window->Organizar1Click(nullptr);
    }
    return *window;
}

// A document of count entries in no particular order.
std::string ShuffledDocument(std::int64_t count)
{
    const std::string path = Folder() + "/shuffled-" + std::to_string(count) + ".vnx";
    if (std::filesystem::exists(path)) return path;
    std::mt19937 random(static_cast<unsigned>(count));
    std::vector<TImageEntry> entries;
    for (std::int64_t i = 0; i < count; ++i)
        entries.push_back({"/home/user/Imagens/viagem/foto-" + std::to_string(random()) + ".jpg", i % 3 != 0});
    WriteImageList(path, entries);
    return path;
}

void BM_Window_Open(benchmark::State& state)
{
    const std::string path = ShuffledDocument(state.range(0));
    TMainForm& window = Window(state.range(1) != 0);
    for (auto _ : state) window.LoadImageList(path);
    state.counters["entries"] = static_cast<double>(window.CheckList->count());
}

} // namespace

BENCHMARK(BM_Window_Open)
    ->ArgNames({"entries", "sorted"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Load)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
