// The notification area's coming and going, as the X server tells it, seen
// through Shell_NotifyIconA by a window that has an icon there.

#include "platform/win/ShellNotify.h"

#include "platform/win/Windows.h"
#include "tests/support/QtApp.h"
#include "tests/support/TrayHost.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstring>
#include <vector>

using namespace velvane;
using test::ProcessEventsUntil;

TEST(NotifyAreaFromTheXServer, AnIconAddedBeforeAnyAreaDocksWhenOneComesAndEachChangeIsToldOnce)
{
    if (QCoreApplication::instance()) GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    test::TrayHost host;
    if (!host.Absent().empty()) GTEST_SKIP() << host.Absent();
    ASSERT_EQ(host.Problem(), "");
    host.StopTray();
    test::EnsureQtApp();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    std::vector<WPARAM> told;
    const HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_NOTIFYAREACHANGED) told.push_back(m.WParam);
    });
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = WindowHandleValue(window);
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "waiting");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(NotifyAreaAvailable());
    EXPECT_EQ(NotifyIconNativeWindow(window, 0), 0u);

    // Every change once, in order, and the icon in whichever area is there.
    const auto docked = [&] { return host.InTray(NotifyIconNativeWindow(window, 0)); };
    ASSERT_TRUE(host.StartTray());
    ASSERT_TRUE(ProcessEventsUntil([&] { return told.size() == 1 && docked(); }));
    host.StopTray();
    ASSERT_TRUE(ProcessEventsUntil([&] { return told.size() == 2 && NotifyIconNativeWindow(window, 0) == 0; }));
    ASSERT_TRUE(host.StartTray());
    ASSERT_TRUE(ProcessEventsUntil([&] { return told.size() == 3 && docked(); }));
    EXPECT_EQ(told, (std::vector<WPARAM>{1, 0, 1}));
    EXPECT_EQ(NotifyIconTip(window, 0), "waiting");

    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    DeallocateHWnd(window);
}
