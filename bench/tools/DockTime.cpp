// Starts a program on $DISPLAY, where a notification area already runs, and
// tells how long its first icon took to dock there: from the start to the
// icon's window taken into the area's panel and shown. The program goes on
// running when this tool ends.
//
//   dock_time PROGRAM [ARGS...]   prints "pid N", then "docked MS" (or
//                                 "docked none" after a minute)

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

// Xlib last: its macros clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

extern char** environ;

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

Window TopLevel(Display* dpy, Window window)
{
    for (Window root = 0, parent = 0, *children = nullptr;; window = parent) {
        unsigned int count = 0;
        if (!XQueryTree(dpy, window, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
    }
}

bool Viewable(Display* dpy, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(dpy, window, &attributes) && attributes.map_state == IsViewable;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: dock_time PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "dock_time: no display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(dpy);
    const Atom selection = XInternAtom(dpy, ("_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(dpy))).c_str(), False);
    Window owner = None;
    for (int i = 0; i < 1000 && (owner = XGetSelectionOwner(dpy, selection)) == None; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (owner == None) {
        std::fprintf(stderr, "dock_time: no notification area\n");
        return 1;
    }
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const auto begin = std::chrono::steady_clock::now();
    pid_t child = -1;
    if (posix_spawnp(&child, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "dock_time: cannot start %s\n", argv[1]);
        return 1;
    }
    std::printf("pid %d\n", child);
    std::fflush(stdout);

    // The area takes the icon from the root into a window of its own client;
    // it counts as docked once it shows there.
    Window icon = None;
    double ms = -1;
    const auto deadline = begin + std::chrono::seconds(60);
    while (ms < 0 && std::chrono::steady_clock::now() < deadline && waitpid(child, nullptr, WNOHANG) == 0) {
        while (ms < 0 && XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (icon == None && event.type == ReparentNotify && event.xreparent.event == root &&
                event.xreparent.parent != root &&
                ((TopLevel(dpy, event.xreparent.parent) ^ owner) & ~dpy->resource_mask) == 0) {
                icon = event.xreparent.window;
                // Its own map, and any of the panel's windows above it.
                for (Window w = icon; w && w != root;) {
                    XSelectInput(dpy, w, StructureNotifyMask | SubstructureNotifyMask);
                    Window r = 0, parent = 0, *children = nullptr;
                    unsigned int count = 0;
                    if (!XQueryTree(dpy, w, &r, &parent, &children, &count)) break;
                    if (children) XFree(children);
                    w = parent;
                }
                XSync(dpy, False);
            }
            if (icon != None && Viewable(dpy, icon))
                ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        }
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        if (ms < 0) poll(&p, 1, 5);
    }
    if (ms < 0)
        std::printf("docked none\n");
    else
        std::printf("docked %.1f\n", ms);
    XCloseDisplay(dpy);
    return 0;
}
