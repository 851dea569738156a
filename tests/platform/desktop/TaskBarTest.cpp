// A window off the task bar and back, as the window manager's state says,
// read from a connection of our own: written straight on a window not yet
// mapped, asked of the manager (openbox) for a mapped one; states set by
// others stay.

#include "platform/desktop/TaskBar.h"

#include "tests/support/QtApp.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWidget>

#include <set>
#include <string>

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace velvane;
using test::ProcessEventsUntil;

namespace {

// The names in the window's _NET_WM_STATE.
std::set<std::string> States(Display* display, Window window)
{
    std::set<std::string> names;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), 0, 1024, False, XA_ATOM,
                           &type, &format, &count, &after, &data) != Success || !data)
        return names;
    for (unsigned long i = 0; i < count; ++i) {
        char* name = XGetAtomName(display, reinterpret_cast<Atom*>(data)[i]);
        names.insert(name);
        XFree(name);
    }
    XFree(data);
    return names;
}

// How many of the two states that keep a window off the task bar it has.
int OffStates(Display* display, Window window)
{
    const auto states = States(display, window);
    return int(states.count("_NET_WM_STATE_SKIP_TASKBAR") + states.count("_NET_WM_STATE_SKIP_PAGER"));
}

} // namespace

TEST(TaskBarUnderWindowManager, OffAndBackOnBeforeAndAfterTheWindowIsMapped)
{
    test::XvfbServer x("320x240x24", true);
    if (!x.Installed()) GTEST_SKIP() << x.Problem();
    ASSERT_TRUE(x.Running()) << x.Problem();
    test::ScopedEnv display("DISPLAY", x.Display().c_str()), platform("QT_QPA_PLATFORM", "xcb");
    test::EnsureQtApp();
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    Display* ours = XOpenDisplay(x.Display().c_str());
    ASSERT_NE(ours, nullptr);

    QWidget widget;
    widget.resize(100, 80);
    EXPECT_FALSE(SetSkipTaskBar(&widget, true)) << "no X window yet";
    const Window window = widget.winId();

    const auto turn = [&](bool off) {
        ASSERT_TRUE(SetSkipTaskBar(&widget, off));
        ASSERT_TRUE(ProcessEventsUntil([&] { return OffStates(ours, window) == (off ? 2 : 0); })) << off;
        EXPECT_TRUE(States(ours, window).count("_NET_WM_STATE_ABOVE")) << off;
    };

    // Not mapped: the property itself, beside a state someone else put there.
    const Atom state = XInternAtom(ours, "_NET_WM_STATE", False);
    Atom above = XInternAtom(ours, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(ours, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&above), 1);
    XSync(ours, False);
    ASSERT_NO_FATAL_FAILURE(turn(true));
    ASSERT_NO_FATAL_FAILURE(turn(false));

    // Mapped: the manager is asked, and its answer is the property.
    widget.show();
    XWindowAttributes attributes{};
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return XGetWindowAttributes(ours, window, &attributes) && attributes.map_state == IsViewable; }))
        << "map state " << attributes.map_state << ", Qt says " << (widget.isVisible() ? "shown" : "hidden") << "; "
        << (x.Ended().empty() ? "Xvfb and openbox still run" : x.Ended());
    ASSERT_NO_FATAL_FAILURE(turn(true));
    ASSERT_NO_FATAL_FAILURE(turn(false));

    XCloseDisplay(ours);
}
