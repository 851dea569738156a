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

#include <algorithm>
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

const std::set<std::string> kOff = {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"};

bool HasAll(const std::set<std::string>& states, const std::set<std::string>& wanted)
{
    return std::includes(states.begin(), states.end(), wanted.begin(), wanted.end());
}

bool HasNone(const std::set<std::string>& states, const std::set<std::string>& unwanted)
{
    return std::none_of(unwanted.begin(), unwanted.end(), [&](const auto& name) { return states.count(name); });
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

    // Not mapped: the property itself, beside a state someone else put there.
    const Atom state = XInternAtom(ours, "_NET_WM_STATE", False);
    Atom above = XInternAtom(ours, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(ours, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&above), 1);
    XSync(ours, False);
    ASSERT_TRUE(SetSkipTaskBar(&widget, true));
    ASSERT_TRUE(ProcessEventsUntil([&] { return HasAll(States(ours, window), kOff); }));
    EXPECT_TRUE(States(ours, window).count("_NET_WM_STATE_ABOVE"));
    ASSERT_TRUE(SetSkipTaskBar(&widget, false));
    ASSERT_TRUE(ProcessEventsUntil([&] { return HasNone(States(ours, window), kOff); }));
    EXPECT_TRUE(States(ours, window).count("_NET_WM_STATE_ABOVE"));

    // Mapped: the manager is asked, and its answer is the property.
    widget.show();
    XWindowAttributes attributes{};
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return XGetWindowAttributes(ours, window, &attributes) && attributes.map_state == IsViewable; }))
        << "map state " << attributes.map_state << ", Qt says " << (widget.isVisible() ? "shown" : "hidden") << "; "
        << (x.Ended().empty() ? "Xvfb and openbox still run" : x.Ended());
    ASSERT_TRUE(SetSkipTaskBar(&widget, true));
    EXPECT_TRUE(ProcessEventsUntil([&] { return HasAll(States(ours, window), kOff); }));
    ASSERT_TRUE(SetSkipTaskBar(&widget, false));
    EXPECT_TRUE(ProcessEventsUntil([&] { return HasNone(States(ours, window), kOff); }));

    XCloseDisplay(ours);
}
