// An icon in a real notification area (trayer on Xvfb), as the desktop side
// hands it on: each click as the presses and releases of its button, and the
// area's going and coming seen by the watch, the icon docked again after.

#include "platform/desktop/NotifyArea.h"

#include "tests/support/QtApp.h"
#include "tests/support/TrayHost.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

using namespace velvane;
using test::ProcessEventsUntil;

namespace {

// Logs "what button x,y|" for every action but moves.
class LoggedIcon final : public NotifyAreaIcon {
public:
    std::string heard;
    int count = 0;

protected:
    void MouseAction(QEvent::Type type, Qt::MouseButton button, QPoint at) override
    {
        if (type == QEvent::MouseMove) return;
        const char* what = type == QEvent::MouseButtonPress     ? "press"
                           : type == QEvent::MouseButtonRelease ? "release"
                           : type == QEvent::MouseButtonDblClick ? "double"
                                                                 : "other";
        const char* which = button == Qt::LeftButton ? "L" : button == Qt::RightButton ? "R" : "M";
        heard += std::string(what) + " " + which + " " + std::to_string(at.x()) + "," + std::to_string(at.y()) + "|";
        ++count;
    }
};

} // namespace

TEST(NotifyAreaOnARealArea, ClicksArriveAsTheirButtonsPressesAndTheIconDocksAgainWhenTheAreaComesBack)
{
    if (QCoreApplication::instance()) GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    test::TrayHost host;
    if (!host.Absent().empty()) GTEST_SKIP() << host.Absent();
    ASSERT_EQ(host.Problem(), "");
    test::EnsureQtApp();

    QPointer<LoggedIcon> icon = new LoggedIcon;
    int changes = 0;
    NotifyAreaWatch watch([&] {
        ++changes;
        if (icon) ClaimDockedWidgets({icon.data()});
    });
    watch.Start();
    icon->Show();
    ClaimDockedWidgets({icon.data()});
    const auto docked = [&] { return icon->Docked() ? static_cast<unsigned long>(icon->DockedWidget()->winId()) : 0; };
    ASSERT_TRUE(ProcessEventsUntil([&] { return host.InTray(docked()); }));
    EXPECT_TRUE(NotifyAreaPresent());
    // Shown without a picture: a see-through one stands in.
    ASSERT_EQ(icon->Picture().size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(icon->Picture().pixel(8, 8)), 0);

    // Each step heard is followed by the point clicked.
    const auto click = [&](int button, int clicks, std::initializer_list<const char*> steps) {
        icon->heard.clear();
        icon->count = 0;
        const auto [x, y] = host.Click(docked(), button, clicks);
        ASSERT_TRUE(ProcessEventsUntil([&] { return icon->count >= 2 * clicks; })) << button;
        std::string expected;
        for (const char* step : steps)
            expected += std::string(step) + " " + std::to_string(x) + "," + std::to_string(y) + "|";
        EXPECT_EQ(icon->heard, expected);
    };
    ASSERT_NO_FATAL_FAILURE(click(2, 1, {"press M", "release M"}));
    ASSERT_NO_FATAL_FAILURE(click(1, 2, {"press L", "release L", "double L", "release L"}));

    // The area goes and comes back: the watch sees both, and the widget Qt
    // makes for the icon again takes its clicks.
    host.StopTray();
    ASSERT_TRUE(ProcessEventsUntil([&] { return changes >= 1 && !NotifyAreaPresent() && docked() == 0; }));
    const int whileGone = changes;
    ASSERT_TRUE(host.StartTray());
    ASSERT_TRUE(ProcessEventsUntil([&] { return changes > whileGone && NotifyAreaPresent() && host.InTray(docked()); }));
    ASSERT_NO_FATAL_FAILURE(click(3, 1, {"press R", "release R"}));

    const auto window = docked();
    icon->Remove();
    EXPECT_TRUE(ProcessEventsUntil([&] { return !host.InTray(window); }));
}
