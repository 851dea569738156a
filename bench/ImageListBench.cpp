// The editor's image lists. The document: loading and saving one of 100,000
// entries, against the same bytes read and written line by line with plain
// streams. The window's list, with 1,000 to 100,000 entries: a document
// opened into the main window's check list as it stands and once "Organizar"
// has sorted the list, saved, and sorted by "Organizar"; each against a
// plain QListWidget doing the same (items added one by one, into a sorted
// list the second time; its own sort; lines written with a plain stream).
// "per_entry" is the time per entry, which stays flat while the cost grows
// as the entries do.
// Run by hand: build/bench/bench_ImageListBench [Google Benchmark flags]

#include "editor/ImageListDocument.h"
#include "editor/Main.h"
#include "platform/forms/Application.h"

#include <benchmark/benchmark.h>

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>
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

void PerEntry(benchmark::State& state, const QListWidget& list)
{
    if (list.count() != state.range(0)) state.SkipWithError("the list lost entries");
    state.counters["per_entry"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

// The list's items in another order, the same for every run.
void Shuffle(QListWidget& list)
{
    QSignalBlocker quiet(&list);
    std::vector<QListWidgetItem*> items(static_cast<size_t>(list.count()));
    for (int row = list.count() - 1; row >= 0; --row) items[static_cast<size_t>(row)] = list.takeItem(row);
    std::shuffle(items.begin(), items.end(), std::mt19937(7));
    for (QListWidgetItem* item : items) list.addItem(item);
}

void BM_Window_Open(benchmark::State& state)
{
    const std::string path = ShuffledDocument(state.range(0));
    TMainForm& window = Window(state.range(1) != 0);
    for (auto _ : state) window.LoadImageList(path);
    PerEntry(state, *window.CheckList);
}

void BM_Window_Save(benchmark::State& state)
{
    TMainForm& window = Window(false);
    window.LoadImageList(ShuffledDocument(state.range(0)));
    const std::string path = Folder() + "/saved.vnx";
    for (auto _ : state) window.SaveImageList(path);
    PerEntry(state, *window.CheckList);
}

void BM_Window_Organizar(benchmark::State& state)
{
    TMainForm& window = Window(true);
    window.LoadImageList(ShuffledDocument(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Shuffle(*window.CheckList);
        state.ResumeTiming();
        window.Organizar1Click(nullptr);
    }
    PerEntry(state, *window.CheckList);
}

// A plain QListWidget, sorting as it adds or not, beside the windows.
QListWidget& PlainList(bool sorted)
{
    static std::map<bool, QListWidget*> lists;
    Window(false);
    QListWidget*& list = lists[sorted];
    if (!list) {
        list = new QListWidget;
        list->setSortingEnabled(sorted);
    }
    return *list;
}

// A document read into the plain list: each line an item, checkable and
// checked as its mark says.
void PlainOpen(QListWidget& list, const std::string& path)
{
    list.clear();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto* item = new QListWidgetItem(QString::fromUtf8(line.data() + 2, static_cast<qsizetype>(line.size() - 2)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(line[0] == '1' ? Qt::Checked : Qt::Unchecked);
        list.addItem(item);
    }
}

void BM_QListWidget_Open(benchmark::State& state)
{
    const std::string path = ShuffledDocument(state.range(0));
    QListWidget& list = PlainList(state.range(1) != 0);
    for (auto _ : state) PlainOpen(list, path);
    PerEntry(state, list);
}

void BM_QListWidget_Save(benchmark::State& state)
{
    QListWidget& list = PlainList(false);
    PlainOpen(list, ShuffledDocument(state.range(0)));
    const std::string path = Folder() + "/plain-saved.vnx";
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < list.count(); ++i) {
            const QListWidgetItem* item = list.item(i);
            out << (item->checkState() == Qt::Checked ? "1|" : "0|") << item->text().toStdString() << "\r\n";
        }
    }
    PerEntry(state, list);
}

void BM_QListWidget_Sort(benchmark::State& state)
{
    QListWidget& list = PlainList(false);
    PlainOpen(list, ShuffledDocument(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Shuffle(list);
        state.ResumeTiming();
        list.sortItems();
    }
    PerEntry(state, list);
}

void Sizes(benchmark::internal::Benchmark* b) { b->ArgName("entries")->Arg(1000)->Arg(10000)->Arg(100000); }
void SizesAndModes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"entries", "sorted"})->ArgsProduct({{1000, 10000, 100000}, {0, 1}});
}

} // namespace

BENCHMARK(BM_Window_Open)->Apply(SizesAndModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QListWidget_Open)->Apply(SizesAndModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Window_Save)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QListWidget_Save)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Window_Organizar)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QListWidget_Sort)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStreams_Load)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
