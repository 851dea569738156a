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

Window AreaOwner(::Display* display)
{
    return XGetSelectionOwner(display, XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False));
}

template <typename Done>
bool WaitFor(Done done)
{
    for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (done()) return true;
    return false;
}

Window TopLevel(::Display* display, Window window)
{
    for (Window root = 0, parent = 0, *children = nullptr;; window = parent) {
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
    }
}

} // namespace

TrayHost::TrayHost()
{
    if (!x_.Installed() || FindProgram("trayer").empty()) {
        absent_ = x_.Installed() ? "trayer is not installed" : x_.Problem();
        return;
    }
    if (!x_.Running()) {
        problem_ = x_.Problem();
        return;
    }
    display_.emplace("DISPLAY", x_.Display().c_str());
    platform_.emplace("QT_QPA_PLATFORM", "xcb");
    if (!(xdisplay_ = XOpenDisplay(x_.Display().c_str()))) problem_ = "cannot open " + x_.Display();
    else if (!StartTray()) problem_ = "trayer did not come up";
}

TrayHost::~TrayHost()
{
    StopTray();
    if (xdisplay_) XCloseDisplay(xdisplay_);
}

bool TrayHost::StartTray()
{
    const char* argv[] = {"trayer", "--edge", "top", "--height", "24", nullptr};
    if (posix_spawnp(&trayer_, "trayer", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return trayer_ = -1, false;
    return WaitFor([this] { return AreaOwner(xdisplay_) != None; });
}

void TrayHost::StopTray()
{
    if (trayer_ <= 0) return;
    kill(trayer_, SIGTERM);
    waitpid(std::exchange(trayer_, -1), nullptr, 0);
    WaitFor([this] { return AreaOwner(xdisplay_) == None; });
}

bool TrayHost::InTray(unsigned long window) const
{
    const Window owner = AreaOwner(xdisplay_);
    if (!window || owner == None) return false;
    const Window top = TopLevel(xdisplay_, window);
    // Docked: reparented away from the root, into a panel of the client that
    // owns the area (the owner itself is a window apart).
    return top != window && ((top ^ owner) & ~xdisplay_->resource_mask) == 0;
}

std::pair<int, int> TrayHost::Click(unsigned long window, int button, int count) const
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(xdisplay_, window, &attributes);
    const Window root = DefaultRootWindow(xdisplay_);
    const int x = attributes.width / 2, y = attributes.height / 2;
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(xdisplay_, window, root, x, y, &rootX, &rootY, &child);
    static Time time = 1000;
    for (int i = 0; i < count * 2; ++i) {
        XEvent event{};
        event.xbutton = {i % 2 ? ButtonRelease : ButtonPress, 0, True, xdisplay_, window, root, 0, time += 20, x, y,
                         rootX, rootY, 0, static_cast<unsigned>(button), True};
        XSendEvent(xdisplay_, window, True, i % 2 ? ButtonReleaseMask : ButtonPressMask, &event);
    }
    time += 5000;  // apart from any double click a later call sends
    XFlush(xdisplay_);
    return {rootX, rootY};
}

} // namespace velvane::test
