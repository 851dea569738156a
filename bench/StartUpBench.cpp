// From starting a program to its first window mapped on the screen, under
// our own Xvfb, with a fresh home that the first (unmeasured) start fills:
// `kestrin`, the editor with its browser page, and about_window, a window of
// the programs that does not browse. Also counts the shared libraries each
// has loaded by then, and whether the web engine is among them.
//
// Run by hand: build/bench/bench_StartUpBench [--kestrin=PROGRAM]
// [--window=PROGRAM] [Google Benchmark flags]; the two options measure other
// builds (from before a change, say).

#include "tests/support/XvfbServer.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

// Xlib last: its macros clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {

std::string display, home;

long WindowPid(Display* dpy, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1 && data)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

struct Started {
    double ms = -1;
    int libraries = 0;
    bool webEngine = false;
};

// The shared libraries the process has mapped.
void CountLibraries(pid_t pid, Started& started)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> files;
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string file = line.substr(slash);
        if (file.find(".so") != std::string::npos) files.insert(file);
    }
    started.libraries = static_cast<int>(files.size());
    for (const auto& f : files)
        if (f.find("WebEngine") != std::string::npos) started.webEngine = true;
}

Started StartToWindow(const std::string& program)
{
    Started started;
    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) return started;
    XSetErrorHandler(IgnoreErrors);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    const auto begin = std::chrono::steady_clock::now();
    pid_t child = -1;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        XCloseDisplay(dpy);
        return started;
    }
    const auto deadline = begin + std::chrono::seconds(60);
    while (started.ms < 0 && std::chrono::steady_clock::now() < deadline) {
        while (started.ms < 0 && XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect && WindowPid(dpy, event.xmap.window) == child)
                started.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        }
        if (started.ms >= 0 || waitpid(child, nullptr, WNOHANG) == child) break;
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, 5);
    }
    if (started.ms >= 0) CountLibraries(child, started);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(dpy);
    return started;
}

void StartUp(benchmark::State& state, const std::string& program)
{
    StartToWindow(program);  // the first start makes the settings and files
    Started last;
    for (auto _ : state) {
        last = StartToWindow(program);
        if (last.ms < 0) {
            state.SkipWithError("no window within a minute");
            return;
        }
        state.SetIterationTime(last.ms / 1e3);
    }
    state.counters["libraries"] = last.libraries;
    state.counters["web_engine"] = last.webEngine ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string kestrin = KESTRIN, window = ABOUT_WINDOW;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--kestrin=", 10) == 0)
            kestrin = argv[i] + 10;
        else if (std::strncmp(argv[i], "--window=", 9) == 0)
            window = argv[i] + 9;
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    velvane::test::XvfbServer server("1280x800x24");
    if (!server.Running()) {
        std::fprintf(stderr, "no X server: %s\n", server.Problem().c_str());
        return 1;
    }
    display = server.Display();
    char folder[] = "/tmp/velvane-start-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    home = folder;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_CURRENT_DESKTOP"}) unsetenv(name);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);

    for (const auto& [name, program] : {std::pair{"kestrin", kestrin}, std::pair{"window that does not browse", window}})
        benchmark::RegisterBenchmark(("StartToWindow/" + std::string(name)).c_str(), StartUp, program)
            ->UseManualTime()
            ->Iterations(15)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(home);
    return 0;
}
