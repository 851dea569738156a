// The editor's window on a display with a real window manager, which gives
// it the focus and frames it as a desktop does.

#include "editor/Main.h"

#include "browser/WebBrowser.h"
#include "editor/NetConnection.h"
#include "platform/forms/Application.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ManagedDisplay.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>

#include <chrono>

using namespace velvane;
using namespace std::chrono_literals;

namespace {

// The display comes first: Qt must start on it.
struct DisplayFirst {
    test::ManagedDisplay display;
};

class EditorUnderWindowManager : public DisplayFirst, public testing::Test {
protected:
    EditorUnderWindowManager()
    {
        PrepareWebEngine();
        test::EnsureApplication();
        TMainForm::WatchConnection = false;
    }
    ~EditorUnderWindowManager() override { TMainForm::WatchConnection = true; }

    bool Active(TMainForm* form) const { return QApplication::activeWindow() == form->Widget(); }

    test::TempEnv env;
    test::ScriptedResponder dialogs;
    test::LoopbackHttpServer server;
};

} // namespace

// The settings download opens the home page as it ends; that first page
// starts the engine, whatever the window is doing then.
TEST_F(EditorUnderWindowManager, TheFirstPageOpensAtAnyMomentOfTheStart)
{
    if (!display.Problem().empty()) GTEST_SKIP() << display.Problem();
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    const String home = server.Url("/home.html");
    server.Serve("/home.html", {200, "OK", {"Content-Type: text/html"}, "<html><body><h1>Velvane</h1></body></html>"});
    // What the local file knows is enough; the server has no newer copy.
    AtomicWriteFile(GetAppFilePath() + "kestrin.net", "Velvane\r\nnetfile=" + server.Url("/kestrin.net") +
                                                          "\r\nbannerjpg=" + server.Url("/banner.jpg") +
                                                          "\r\nbannerurl=" + server.Url("/promo.html") +
                                                          "\r\nhomeurl=" + home + "\r\n");
    enum class Moment { BeforeShown, JustShown, Focused };
    for (Moment moment : {Moment::BeforeShown, Moment::JustShown, Moment::Focused}) {
        SCOPED_TRACE(static_cast<int>(moment));
        TMainForm* form = Application->CreateForm<TMainForm>();
        form->HTTPc->Host = "127.0.0.1";
        form->HTTPc->Port = server.Port();
        if (moment != Moment::BeforeShown) form->Show();
        if (moment == Moment::Focused) {
            ASSERT_TRUE(test::ProcessEventsUntil([&] { return Active(form); }));
        }
        form->NetConnection->Execute();
        if (moment == Moment::BeforeShown) form->Show();
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return form->Nav_Url->currentText().toStdString() == home; }, 60s));
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return Active(form); }));
        EXPECT_TRUE(form->Widget()->isVisible());
        delete form;
    }
}
