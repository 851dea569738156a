#include "components/controls/VELTrayIcon.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/win/WindowRecords.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/TrayHost.h"

#include <gtest/gtest.h>

#include <QMenu>

#include <algorithm>
#include <chrono>
#include <utility>

using namespace velvane;
using test::ProcessEventsUntil;

namespace {

// An owner window and its icon (with NoClose), whose events are logged as
// "what button shift x,y" lines.
struct Owned {
    TForm form{nullptr};
    TVELTrayIcon* icon = new TVELTrayIcon(&form);
    std::vector<std::string> lines;
    Owned()
    {
        icon->NoClose = true;
        const auto mouse = [this](const char* what) {
            return [this, what](TPersistent*, TMouseButton b, TShiftState shift, int x, int y) {
                lines.push_back(std::string(what) + " " + "LRM"[static_cast<int>(b)] + (shift & ssDouble ? "2" : "") +
                                " " + std::to_string(x) + "," + std::to_string(y));
            };
        };
        const auto plain = [this](const char* what) { return [this, what](TPersistent*) { lines.push_back(what); }; };
        icon->OnMouseDown = mouse("down"), icon->OnMouseUp = mouse("up");
        icon->OnClick = plain("click"), icon->OnDblClick = plain("dblclick"), icon->OnPopUp = plain("popup");
    }
    std::string Take()
    {
        std::string all;
        for (const auto& line : std::exchange(lines, {})) all += line + "|";
        return all;
    }
};

} // namespace

TEST(TrayIconOnARealArea, DocksTakesClicksInOrderHidesItsOwnerAndLeaves)
{
    if (QCoreApplication::instance()) GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    test::TrayHost host;
    if (!host.Absent().empty()) GTEST_SKIP() << host.Absent();
    ASSERT_EQ(host.Problem(), "");
    test::EnsureApplication();
    TPopupMenu menu(nullptr);
    menu.Items()->addAction("Sair");
    Owned log;
    auto& [form, icon, lines] = log;
    icon->SetPopupMenu(&menu);
    icon->SetHint(std::string(60, 'x') + "0123456789");
    LoadedComponents(icon);
    const auto docked = [&] { return NotifyIconNativeWindow(icon->WindowHandle(), 0); };
    ASSERT_TRUE(ProcessEventsUntil([&] { return host.InTray(docked()); }));
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(OnTaskBar());
    EXPECT_EQ(NotifyIconTip(icon->WindowHandle(), 0).toStdString(), std::string(60, 'x') + "012");

    // A double click, as the X server delivers it, at the point clicked.
    auto [x, y] = host.Click(docked(), 1, 2);
    ASSERT_TRUE(ProcessEventsUntil([&] { return lines.size() >= 7; }));
    std::string at = " " + std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(log.Take(), "down L" + at + "|click|up L" + at + "|dblclick|down L2" + at + "|click|up L" + at + "|");
    // A right press pops the menu up, for this icon.
    std::tie(x, y) = host.Click(docked(), 3);
    ASSERT_TRUE(ProcessEventsUntil([&] { return menu.Items()->isVisible() && lines.size() >= 4; }));
    at = " " + std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(log.Take(), "down R" + at + "|popup|click|up R" + at + "|");
    EXPECT_EQ(menu.PopupComponent, icon);
    EXPECT_EQ(menu.Items()->pos(), QPoint(x, y));
    menu.Items()->hide();

    // Close hides the window into the area, the program goes on; so does
    // minimize without ShowMinimizedIcon.
    for (WPARAM command : {SC_CLOSE, SC_MINIMIZE}) {
        form.Show();
        SendMessageA(form.Handle(), WM_SYSCOMMAND, command, 0);
        EXPECT_FALSE(form.Visible()) << command;
        EXPECT_FALSE(OnTaskBar()) << command;
        EXPECT_FALSE(Application->Terminated());
    }

    // The area goes: the window shows; it comes back: the window goes in again.
    host.StopTray();
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Visible(); }));
    EXPECT_TRUE(OnTaskBar());
    ASSERT_TRUE(host.StartTray());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Visible() && host.InTray(docked()); }));

    // Switched off, then freed, the icon leaves the area.
    auto window = docked();
    icon->SetActive(false);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !host.InTray(window); }));
    EXPECT_TRUE(OnTaskBar());
    icon->SetActive(true);
    ASSERT_TRUE(ProcessEventsUntil([&] { return host.InTray(window = docked()); }));
    delete icon;
    EXPECT_TRUE(ProcessEventsUntil([&] { return !host.InTray(window); }));
}

TEST(TrayIconWithoutArea, ShowsItsOwnerWhoseCloseStillClosesAndTellsEveryButton)
{
    test::EnsureApplication();
    if (NotifyAreaAvailable()) GTEST_SKIP() << "a notification area is there";
    Owned log;
    auto& [form, icon, lines] = log;
    bool closed = false;
    form.OnClose = [&](QObject*, TCloseAction& action) { closed = true, action = TCloseAction::caHide; };
    LoadedComponents(icon);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Visible(); }));
    EXPECT_TRUE(OnTaskBar());
    // Hidden into an area that is not there, the program could not be reached.
    SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(closed);

    // A right press without a menu, and the middle button's actions.
    for (LPARAM code : {WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}) {
        win::MessagePosition position(TPoint{7, 9});
        SendMessageA(icon->WindowHandle(), WM_TRAYICON, 0, code);
    }
    EXPECT_EQ(log.Take(), "down R 7,9|down M 7,9|click|up M 7,9|dblclick|down M2 7,9|");
}

TEST(TrayIconAnimation, FramesFollowEveryClockAndStopOnTheIconItself)
{
    test::EnsureApplication();
    test::TempEnv env;
    TVELApplication library;
    GlobalApplication = &library;
    TForm form(nullptr);
    TVELImageList list(nullptr);
    auto* frames = static_cast<TVELImageListItem*>(list.GetItem(list.AddItem(nullptr)));
    frames->SetWidth(16), frames->SetHeight(16);
    for (TColor colour : {clRed, clLime, clBlue}) {
        TBitmap cell;
        cell.SetSize(16, 16);
        cell.Canvas().Brush.Color = colour;
        cell.Canvas().FillRect(Rect(1, 0, 16, 16));  // column 0 stays white: transparent
        frames->AddImage(&cell, nullptr);
    }
    list.AddItem(nullptr);  // a list without frames
    auto* icon = new TVELTrayIcon(&form);
    const QRgb red = qRgb(255, 0, 0), lime = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), yellow = qRgb(255, 255, 0);
    QImage own(16, 16, QImage::Format_ARGB32);
    own.fill(yellow);
    TIcon picture;
    picture.SetImage(own);
    icon->SetIcon(picture);
    icon->SetImageList(&list);
    LoadedComponents(icon);
    const auto shown = [&](int x = 8) { return NotifyIconPicture(icon->WindowHandle(), 0).pixel(x, 8); };
    ASSERT_EQ(shown(), yellow);

    for (auto mode : {TVELTimerMode::tmGlobalTimer, TVELTimerMode::tmHiTimer, TVELTimerMode::tmThreaded}) {
        icon->SetTimerMode(mode), icon->Interval = 50, icon->SetAnimated(true);
        // Each frame in turn, round again.
        std::vector<QRgb> seen;
        ASSERT_TRUE(ProcessEventsUntil([&] {
            if (const QRgb now = shown(); seen.empty() || seen.back() != now) seen.push_back(now);
            return seen.size() >= 5;
        })) << static_cast<int>(mode);
        const auto first = std::find(seen.begin(), seen.end(), red);
        ASSERT_LE(first - seen.begin(), 1);
        EXPECT_EQ(std::vector<QRgb>(first, first + 4), (std::vector<QRgb>{red, lime, blue, red}));
        EXPECT_EQ(qAlpha(shown(0)), 0);  // white is transparent
        icon->SetAnimated(false);
        EXPECT_EQ(shown(), yellow);
    }

    // A new clock under a running animation keeps it running.
    icon->SetAnimated(true);
    icon->SetTimerMode(TVELTimerMode::tmGlobalTimer);
    EXPECT_TRUE(ProcessEventsUntil([&] { return shown() != red; }));
    icon->SetAnimated(false);

    // The pool's steps are 50 ms, and the last one a 16-bit interval holds.
    for (auto [asked, used] : {std::pair<int, int>{120, 150}, {200, 200}, {65535, 65500}}) {
        icon->Interval = static_cast<TVELTimerInterval>(asked);
        icon->SetAnimated(true);
        EXPECT_EQ(icon->Interval, used);
        EXPECT_EQ(GlobalApplication->FindTimer(icon->TimerIdent())->Interval(), used);
        icon->SetAnimated(false);
    }

    // Lists without frames leave the icon alone.
    for (int index : {1, 7}) {
        icon->ListIndex = index, icon->AnimateIcon();
        EXPECT_EQ(shown(), yellow);
    }

    // Freed while its thread ticks: no tick comes after.
    icon->ListIndex = 0, icon->Interval = 1;
    icon->SetTimerMode(TVELTimerMode::tmThreaded), icon->SetAnimated(true);
    ProcessEventsUntil([&] { return shown() != yellow; });
    delete icon;
    test::ProcessEventsFor(std::chrono::milliseconds(30));
    GlobalApplication = nullptr;
}
