// The whole wallpaper change, each run a process of its own, on one picture
// under our own Xvfb (1920 x 1080, 24 bits): velvane_wallpaper_change (the
// editor's apply calls on a desktop without a wallpaper service, so the X
// root window) against `xwallpaper --zoom` and `feh --bg-fill`. After each
// tool the root window must show the picture (ours exactly as our decoder
// made it). Then the tools run in turn, round after round, for the ratios,
// and ours once more step by step. RunningProgram makes the change again and
// again in this process, as a running editor does, and counts the fresh
// pages each change touches. The agent's job (velvane_agent_job: the same
// steps with the mini banner and the message drawn before saving) runs as a
// process beside them, and RunningAgentJob makes it again and again here.
//
// Run by hand: build/bench/bench_WallpaperChangeBench [--rounds=N]
// [--velvane=PROGRAM] [Google Benchmark flags]. --velvane runs another build
// of the tool (one from before a change, say). xwallpaper and feh are left out
// when they are not installed: apt-get install xwallpaper feh.

#include "agent/MainService.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/rtl/FileUtils.h"
#include "settings/PictureToWallpaper.h"
#include "tests/support/XvfbServer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using velvane::String;

struct Setup {
    std::string folder, picture, miniBanner, display, velvane = WALLPAPER_CHANGE;
    int rounds = 30;
    std::vector<std::string> environment;  // for the children
    QImage decoded;                        // the picture as our decoder makes it
} setup;

struct Tool {
    std::string name;
    std::vector<std::string> args;  // the picture is appended
    bool exact = false;             // the root must show our decoder's pixels
    bool ours = false;
};

std::vector<Tool> tools;

struct Run {
    double ms = 0, cpuMs = 0;
    long faults = 0;
    int status = -1;
    std::string out;
};

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return {};
}

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Starts the program, waits for it and reads what it took from the kernel.
Run Start(const std::vector<std::string>& argv)
{
    std::vector<std::string> env = setup.environment;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const long long spawned = NowNs();
    env.push_back("VELVANE_SPAWNED=" + std::to_string(spawned));
    std::vector<char*> a, e;
    for (auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    for (auto& s : env) e.push_back(const_cast<char*>(s.c_str()));
    e.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, a.data(), e.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    Run run;
    if (rc != 0) {
        close(out[0]);
        return run;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    rusage usage{};
    int status = 0;
    wait4(pid, &status, 0, &usage);
    run.ms = (NowNs() - spawned) / 1e6;
    run.status = status;
    run.faults = usage.ru_minflt + usage.ru_majflt;
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return run;
}

std::vector<std::string> Command(const Tool& tool)
{
    std::vector<std::string> argv = tool.args;
    argv.push_back(setup.picture);
    return argv;
}

// How far the root window is from the picture: the largest difference of a
// channel, and the mean one. -1 when it cannot be read or the sizes differ.
std::pair<int, double> RootDifference(const QImage& expected)
{
    Display* dpy = XOpenDisplay(setup.display.c_str());
    if (!dpy) return {-1, -1};
    const Window root = DefaultRootWindow(dpy);
    XImage* image = XGetImage(dpy, root, 0, 0, static_cast<unsigned>(expected.width()),
                              static_cast<unsigned>(expected.height()), AllPlanes, ZPixmap);
    int worst = -1;
    double sum = 0;
    if (image && image->bits_per_pixel == 32) {
        worst = 0;
        for (int y = 0; y < expected.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
            for (int x = 0; x < expected.width(); ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const int d[3] = {std::abs(int((p >> 16) & 0xFF) - qRed(row[x])),
                                  std::abs(int((p >> 8) & 0xFF) - qGreen(row[x])), std::abs(int(p & 0xFF) - qBlue(row[x]))};
                for (int v : d) {
                    worst = std::max(worst, v);
                    sum += v;
                }
            }
        }
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(dpy);
    return {worst, worst < 0 ? -1 : sum / (3.0 * expected.width() * expected.height())};
}

// Clears the root to black, so that a tool that did nothing cannot pass on
// the previous tool's picture.
void ClearRoot()
{
    Display* dpy = XOpenDisplay(setup.display.c_str());
    if (!dpy) return;
    const Window root = DefaultRootWindow(dpy);
    XSetWindowBackground(dpy, root, BlackPixel(dpy, DefaultScreen(dpy)));
    XClearWindow(dpy, root);
    XSync(dpy, False);
    XCloseDisplay(dpy);
}

// Empty unless the root is wrong.
std::string CheckRoot(const Tool& tool)
{
    const auto [worst, mean] = RootDifference(setup.decoded);
    if (worst < 0) return "the root window could not be read";
    if (tool.exact && worst != 0) return "the root window differs from the picture by up to " + std::to_string(worst);
    if (!tool.exact && mean > 4) return "the root window does not show the picture (mean difference " + std::to_string(mean) + ")";
    return {};
}

void WholeChange(benchmark::State& state, const Tool& tool)
{
    ClearRoot();
    long faults = 0;
    double cpu = 0;
    for (auto _ : state) {
        const Run run = Start(Command(tool));
        if (run.status != 0) {
            state.SkipWithError((tool.name + " failed").c_str());
            return;
        }
        state.SetIterationTime(run.ms / 1e3);
        faults += run.faults;
        cpu += run.cpuMs;
    }
    state.counters["page_faults"] = benchmark::Counter(double(faults), benchmark::Counter::kAvgIterations);
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    if (const std::string wrong = CheckRoot(tool); !wrong.empty()) state.SkipWithError(wrong.c_str());
}

// Changes in a program that keeps running, as the editor's later applies:
// the same calls again and again in this process, counting the pages each
// change touches for the first time.
void RunningProgram(benchmark::State& state)
{
    ClearRoot();
    velvane::TBitmap workBitmap;
    const String wallpaper = setup.folder + "/data/velvane/wallpaper.bmp";
    const auto change = [&] {
        velvane::LoadPicture(velvane::TPictureKind::pkJpeg, setup.picture, workBitmap);
        velvane::ApplyWallpaper(workBitmap, wallpaper);
    };
    const long long firstStart = NowNs();
    change();  // the first change finds every buffer new
    const double firstMs = (NowNs() - firstStart) / 1e6;
    long faults = 0;
    for (auto _ : state) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        change();
        getrusage(RUSAGE_SELF, &after);
        faults += after.ru_minflt - before.ru_minflt;
    }
    state.counters["page_faults"] = benchmark::Counter(double(faults), benchmark::Counter::kAvgIterations);
    state.counters["first_change_ms"] = firstMs;
    if (const std::string wrong = CheckRoot(tools[0]); !wrong.empty()) state.SkipWithError(wrong.c_str());
}

// The agent's job in a program that keeps running: decode, overlay, save,
// root window.
void RunningAgentJob(benchmark::State& state)
{
    ClearRoot();
    const String wallpaper = setup.folder + "/data/velvane/wallpaper.bmp";
    velvane::TBitmap& picture = velvane::agent::WorkBitmap();
    const auto job = [&] {
        velvane::LoadPicture(velvane::TPictureKind::pkJpeg, setup.picture, picture);
        velvane::agent::DrawOverlay(picture, "Bom dia! Imagem do dia", setup.miniBanner);
        velvane::ApplyWallpaper(picture, wallpaper);
        // As the job does: the picture's memory is not kept between changes.
        picture.Image() = QImage();
    };
    const long long firstStart = NowNs();
    job();  // the first finds the fonts not loaded yet
    state.counters["first_job_ms"] = (NowNs() - firstStart) / 1e6;
    for (auto _ : state) job();
    if (const std::string wrong = CheckRoot(tools[1]); !wrong.empty()) state.SkipWithError(wrong.c_str());
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The tools in turn, round after round, so that a busy moment of the machine
// falls on all of them alike.
void Rounds()
{
    std::map<std::string, std::vector<double>> ms, faults, cpu;
    for (int r = 0; r < setup.rounds; ++r)
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const Tool& tool = tools[(i + r) % tools.size()];
            const Run run = Start(Command(tool));
            if (run.status != 0) continue;
            ms[tool.name].push_back(run.ms);
            faults[tool.name].push_back(double(run.faults));
            cpu[tool.name].push_back(run.cpuMs);
        }
    std::printf("\n%d rounds, each tool once a round; medians:\n", setup.rounds);
    std::printf("%-24s %10s %10s %12s\n", "", "wall ms", "cpu ms", "page faults");
    for (const Tool& tool : tools)
        std::printf("%-24s %10.1f %10.1f %12.0f\n", tool.name.c_str(), Median(ms[tool.name]), Median(cpu[tool.name]),
                    Median(faults[tool.name]));
    for (const Tool& ours : tools)
        for (const Tool& other : tools)
            if (ours.ours && !other.ours && !ms[other.name].empty())
                std::printf("ratio %s / %s: %.2f\n", ours.name.c_str(), other.name.c_str(),
                            Median(ms[ours.name]) / Median(ms[other.name]));
}

// Our change step by step (medians of cold runs), and a run that only starts
// and ends the process.
void Steps()
{
    std::map<std::string, std::vector<double>> steps;
    const std::vector<std::string> order{"start", "decode", "save", "hand-over", "exit", "whole"};
    for (int r = 0; r < setup.rounds; ++r) {
        std::vector<std::string> argv = Command(tools[0]);
        argv.push_back("--steps");
        const Run run = Start(argv);
        if (run.status != 0) continue;
        const long long finished = NowNs();
        std::istringstream in(run.out);
        for (std::string name; in >> name;) {
            if (name == "end") {
                long long end = 0;
                in >> end;
                steps["exit"].push_back((finished - end) / 1e6);
            } else {
                double value = 0;
                in >> value;
                steps[name].push_back(value);
            }
        }
        steps["whole"].push_back(run.ms);
    }
    const Run bare = Start({setup.velvane});
    std::printf("\nOur change step by step, medians of %d cold runs (ms):\n", setup.rounds);
    for (const auto& name : order)
        if (!steps[name].empty()) std::printf("  %-10s %7.1f\n", name.c_str(), Median(steps[name]));
    std::printf("  (start and exit alone, no picture: %.1f ms, %ld page faults)\n", bare.ms, bare.faults);
}

QImage MakePicture(int width, int height)
{
    // A gradient with noise: about as hard to decode as a photo, and its
    // file about the size of one.
    std::mt19937 random(7);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(random() % 31) - 15;
            line[x] = qRgb(std::clamp(x * 255 / width + n, 0, 255), std::clamp(y * 255 / height + n, 0, 255),
                           std::clamp((x + y) * 255 / (width + height) - n, 0, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            setup.rounds = std::max(1, std::atoi(argv[i] + 9));
        else if (std::strncmp(argv[i], "--velvane=", 10) == 0)
            setup.velvane = argv[i] + 10;
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    velvane::test::XvfbServer server("1920x1080x24");
    if (!server.Running()) {
        std::fprintf(stderr, "no X server: %s\n", server.Problem().c_str());
        return 1;
    }
    setup.display = server.Display();
    char folder[] = "/tmp/velvane-wallpaper-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setup.folder = folder;
    setup.picture = setup.folder + "/picture.jpg";
    const String jpeg = velvane::EncodeJpeg(MakePicture(1920, 1080), 90);
    velvane::AtomicWriteFile(setup.picture, jpeg);
    setup.decoded = velvane::DecodeJpeg(jpeg);
    std::printf("picture: 1920 x 1080 JPEG of %zu KB, display %s\n", jpeg.size() / 1024, setup.display.c_str());

    // The children see a desktop without a wallpaper service, and keep their
    // files in our folder.
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY" || name == "HOME" || name == "XDG_CURRENT_DESKTOP" || name == "SWAYSOCK" ||
            name == "XDG_DATA_HOME" || name == "XDG_CONFIG_HOME")
            continue;
        setup.environment.push_back(entry);
    }
    setup.environment.push_back("DISPLAY=" + setup.display);
    setup.environment.push_back("HOME=" + setup.folder);
    setup.environment.push_back("XDG_DATA_HOME=" + setup.folder + "/data");
    setup.environment.push_back("XDG_CONFIG_HOME=" + setup.folder + "/config");

    fs::create_directories(setup.folder + "/data/velvane");
    setup.miniBanner = setup.folder + "/data/velvane/minibanner.jpg";
    velvane::AtomicWriteFile(setup.miniBanner, velvane::EncodeJpeg(MakePicture(231, 21), 90));
    tools.push_back({"velvane", {setup.velvane}, true, true});
    tools.push_back({"velvane agent job", {AGENT_JOB}, false, true});
    for (const auto& [program, option] : {std::pair{"xwallpaper", "--zoom"}, std::pair{"feh", "--bg-fill"}}) {
        const std::string path = FindInPath(program);
        if (path.empty())
            std::printf("%s is not installed, left out (apt-get install %s)\n", program, program);
        else
            tools.push_back({std::string(program) + " " + option, {path, option}, false, false});
    }
    for (const Tool& tool : tools)
        benchmark::RegisterBenchmark(("WholeChange/" + tool.name).c_str(), WholeChange, tool)
            ->UseManualTime()
            ->Iterations(20)
            ->Unit(benchmark::kMillisecond);
    // This process makes its changes on our display, with its files in our folder.
    setenv("DISPLAY", setup.display.c_str(), 1);
    setenv("XDG_DATA_HOME", (setup.folder + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (setup.folder + "/config").c_str(), 1);
    unsetenv("XDG_CURRENT_DESKTOP");
    unsetenv("SWAYSOCK");
    fs::create_directories(setup.folder + "/data/velvane");
    benchmark::RegisterBenchmark("RunningProgram/velvane", RunningProgram)->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RunningAgentJob/velvane", RunningAgentJob)->Iterations(20)->Unit(benchmark::kMillisecond);
    // The overlay's text needs fonts, not a window.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int qtArgc = 1;
    QGuiApplication qt(qtArgc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Rounds();
    Steps();
    fs::remove_all(setup.folder);
    return 0;
}
