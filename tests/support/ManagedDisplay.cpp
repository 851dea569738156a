#include "tests/support/ManagedDisplay.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace velvane::test {

namespace {

// A manager that follows the desktop's conventions names its own window on
// the root window once it is ready.
bool ManagerReady(::Display* display)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const bool ready = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data) == Success &&
                       type == XA_WINDOW && count == 1;
    if (data) XFree(data);
    return ready;
}

} // namespace

ManagedDisplay::ManagedDisplay()
{
    if (!x_.Running()) {
        problem_ = x_.Problem();
        return;
    }
    display_.emplace("DISPLAY", x_.Display().c_str());
    platform_.emplace("QT_QPA_PLATFORM", "xcb");
    const char* argv[] = {"openbox", "--sm-disable", nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&manager_, "openbox", &quiet, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (rc != 0) {
        manager_ = -1;
        problem_ = "openbox could not be started (is it installed?)";
        return;
    }
    ::Display* display = XOpenDisplay(x_.Display().c_str());
    if (!display) {
        problem_ = "cannot open " + x_.Display();
        return;
    }
    bool ready = false;
    for (int i = 0; i < 300 && !(ready = ManagerReady(display)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XCloseDisplay(display);
    if (!ready) problem_ = "openbox did not come up";
}

ManagedDisplay::~ManagedDisplay()
{
    if (manager_ <= 0) return;
    kill(manager_, SIGTERM);
    waitpid(manager_, nullptr, 0);
}

} // namespace velvane::test
