#include "tests/support/TrayHost.h"

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xlibint.h>

extern char** environ;

namespace velvane::test {

namespace {

::Display* Dpy(void* display) { return static_cast<::Display*>(display); }

template <typename Done>
bool WaitFor(Done done)
{
    for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (done()) return true;
    return false;
}

Window TopLevel(::Display* display, Window window)
{
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
        window = parent;
    }
}

} // namespace

TrayHost::TrayHost()
{
    if (!x_.Running()) {
        problem_ = x_.Problem();
        return;
    }
    display_ = std::make_unique<ScopedEnv>("DISPLAY", x_.Display().c_str());
    platform_ = std::make_unique<ScopedEnv>("QT_QPA_PLATFORM", "xcb");
    xdisplay_ = XOpenDisplay(x_.Display().c_str());
    if (!xdisplay_) problem_ = "cannot open " + x_.Display();
    else if (!StartTray()) problem_ = "trayer did not come up (is it installed?)";
}

TrayHost::~TrayHost()
{
    StopTray();
    if (xdisplay_) XCloseDisplay(Dpy(xdisplay_));
}

bool TrayHost::AreaUp() const
{
    ::Display* display = Dpy(xdisplay_);
    const Atom selection = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
    return XGetSelectionOwner(display, selection) != None;
}

bool TrayHost::StartTray()
{
    const char* argv[] = {"trayer", "--edge", "top", "--height", "24", nullptr};
    if (posix_spawnp(&trayer_, "trayer", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        trayer_ = -1;
        return false;
    }
    return WaitFor([this] { return AreaUp(); });
}

void TrayHost::StopTray()
{
    if (trayer_ <= 0) return;
    kill(trayer_, SIGTERM);
    waitpid(trayer_, nullptr, 0);
    trayer_ = -1;
    WaitFor([this] { return !AreaUp(); });
}

bool TrayHost::InTray(unsigned long window) const
{
    ::Display* display = Dpy(xdisplay_);
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False));
    if (!window || owner == None) return false;
    const Window top = TopLevel(display, window);
    // Docked: reparented away from the root, into a panel of the client that
    // owns the area (the owner itself is a window apart).
    return top != window && ((top ^ owner) & ~display->resource_mask) == 0;
}

std::pair<int, int> TrayHost::Click(unsigned long window, int button, int count) const
{
    ::Display* display = Dpy(xdisplay_);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), attributes.width / 2, attributes.height / 2,
                          &rootX, &rootY, &child);
    static Time time = 1000;
    for (int i = 0; i < count * 2; ++i) {
        XEvent event{};
        event.xbutton = {i % 2 ? ButtonRelease : ButtonPress, 0, True, display, window, DefaultRootWindow(display), 0,
                         time += 20, attributes.width / 2, attributes.height / 2, rootX, rootY, 0,
                         static_cast<unsigned>(button), True};
        XSendEvent(display, window, True, i % 2 ? ButtonReleaseMask : ButtonPressMask, &event);
    }
    // Apart from any double click a later call sends.
    time += 5000;
    XFlush(display);
    return {rootX, rootY};
}

} // namespace velvane::test
