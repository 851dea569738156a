// The editor's window on a display with a real window manager, which gives
// it the focus and frames it as a desktop does.

#include "editor/Main.h"

#include "browser/WebBrowser.h"
#include "editor/NetConnection.h"
#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"
#include "tests/support/RootWindow.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QComboBox>

using namespace velvane;

namespace {

// Whether the display shows the colour at the middle of the widget, read by
// a program of its own as any screenshot would.
bool ShowsInTheMiddle(const std::string& display, const QWidget* widget, const std::string& colour)
{
    const QPoint middle = widget->mapToGlobal(widget->rect().center());
    const auto lines = test::ReadRoot(display, {std::to_string(middle.x()), std::to_string(middle.y())});
    return !lines.empty() && lines[0] == colour;
}

// The settings download opens the home page as it ends, and that first page
// starts the engine, whatever the window is doing then; the page is drawn
// where the browser sits.
void OpenTheHomePageAtEachMomentOfTheStart(const char* openGl)
{
    test::XvfbServer x("1024x768x24", true);
    if (!x.Installed()) GTEST_SKIP() << x.Problem();
    ASSERT_TRUE(x.Running()) << x.Problem();
    test::ScopedEnv display("DISPLAY", x.Display().c_str()), platform("QT_QPA_PLATFORM", "xcb"),
        gl("QT_XCB_GL_INTEGRATION", openGl);
    PrepareWebEngine();
    test::EnsureApplication();
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    test::TempEnv env;
    test::LoopbackHttpServer server;
    const String home = server.Url("/home.html");
    server.Serve("/home.html", {200, "OK", {"Content-Type: text/html"},
                                "<html><body style='background:#1e5a8c'><h1>Velvane</h1></body></html>"});
    AtomicWriteFile(GetAppFilePath() + "kestrin.net", "Velvane\r\nnetfile=" + server.Url("/kestrin.net") +
                                                          "\r\nbannerjpg=" + server.Url("/banner.jpg") +
                                                          "\r\nbannerurl=" + server.Url("/promo.html") +
                                                          "\r\nhomeurl=" + home + "\r\n");
    TMainForm::WatchConnection = false;
    for (const char* moment : {"before it shows", "as it shows", "once it has the focus"}) {
        TMainForm* form = Application->CreateForm<TMainForm>();
        const auto focused = [form] { return QApplication::activeWindow() == form->Widget(); };
        form->HTTPc->Host = "127.0.0.1";
        form->HTTPc->Port = server.Port();
        if (moment[0] != 'b') form->Show();
        if (moment[0] == 'o') {
            EXPECT_TRUE(test::ProcessEventsUntil(focused)) << moment;
        }
        form->NetConnection->Execute();
        form->Show();
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return form->Nav_Url->currentText().toStdString() == home; },
                                             std::chrono::seconds(60)))
            << moment;
        EXPECT_TRUE(test::ProcessEventsUntil(focused)) << moment;
        int looks = 0;  // the screen is read now and then, not at every event
        EXPECT_TRUE(test::ProcessEventsUntil(
            [&] { return ++looks % 50 == 0 && ShowsInTheMiddle(x.Display(), form->Browser, "1e5a8c"); },
            std::chrono::seconds(60)))
            << moment;
        delete form;
    }
    TMainForm::WatchConnection = true;
}

} // namespace

TEST(EditorUnderWindowManager, TheFirstPageOpensAtAnyMomentOfTheStart)
{
    OpenTheHomePageAtEachMomentOfTheStart(nullptr);
}

// As over SSH, VNC or in a virtual machine: the display offers no OpenGL.
TEST(EditorUnderWindowManager, WithoutOpenGLTheWindowShowsAndPagesOpenAsWell)
{
    OpenTheHomePageAtEachMomentOfTheStart("none");
}
