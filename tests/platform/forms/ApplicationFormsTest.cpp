#include "platform/forms/Application.h"

#include "platform/forms/Form.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <chrono>
#include <memory>
#include <string>

using namespace velvane;
using velvane::test::EnsureApplication;
using velvane::test::ScriptedResponder;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

// A form whose creation handler fails, as a form reading a broken file would.
class FailingForm : public TForm {
public:
    explicit FailingForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [](QObject*) { throw EFOpenError("Cannot open file \"layout.dat\""); };
    }
};

class PlainForm : public TForm {
public:
    explicit PlainForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [this](QObject*) { ++created; };
    }
    int created = 0;
};

// Frees the forms a test made, so the shared application has no main form
// left for the next test.
struct FormsGuard {
    std::vector<TComponent*> forms;
    ~FormsGuard()
    {
        for (auto it = forms.rbegin(); it != forms.rend(); ++it) delete *it;
    }
};

} // namespace

TEST(ApplicationForms, FirstFormIsMainAndAFailingCreationHandlerIsReported)
{
    TApplication* app = EnsureApplication();
    ASSERT_EQ(app->MainForm(), nullptr);
    ScriptedResponder responder;
    FormsGuard guard;

    auto* first = app->CreateForm<FailingForm>();
    guard.forms.push_back(first);
    auto* second = app->CreateForm<PlainForm>();
    guard.forms.push_back(second);

    EXPECT_EQ(app->MainForm(), first);
    EXPECT_EQ(first->Owner(), app);
    EXPECT_EQ(second->created, 1);
    // Nobody handles it: the error box shows, and the form is still there.
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_EQ(responder.requests[0].text, "Cannot open file \"layout.dat\"");
    EXPECT_EQ(responder.requests[0].type, TMsgDlgType::mtError);

    // A freed main form is forgotten.
    guard.forms.erase(guard.forms.begin());
    delete first;
    EXPECT_EQ(app->MainForm(), nullptr);
}

TEST(ApplicationRun, ReturnsAtOnceAfterTerminate)
{
    Watchdog dog(30s, "Run after Terminate");
    TApplication* app = EnsureApplication();
    FormsGuard guard;
    auto* main = app->CreateForm<PlainForm>();
    guard.forms.push_back(main);
    app->Terminate();
    app->Run();
    EXPECT_TRUE(app->Terminated());
    EXPECT_FALSE(main->Visible());
}

TEST(ApplicationRun, ShowsTheMainFormAndEndsWhenItCloses)
{
    Watchdog dog(30s, "Run until the main form closes");
    TApplication* app = EnsureApplication();
    if (app->Terminated()) GTEST_SKIP() << "an earlier test in this process ended the application";
    FormsGuard guard;
    auto* main = app->CreateForm<PlainForm>();
    guard.forms.push_back(main);
    auto* other = app->CreateForm<PlainForm>();
    guard.forms.push_back(other);

    bool shownInLoop = false;
    QTimer::singleShot(0, [&] {
        shownInLoop = main->Visible();
        other->Show();
        other->Close();   // not the main form: the program goes on
        QTimer::singleShot(10, [&] { main->Close(); });
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] {
        ADD_FAILURE() << "closing the main form did not end Run";
        app->Terminate();
    });
    safety.start(10s);
    app->Run();

    EXPECT_TRUE(shownInLoop);
    EXPECT_TRUE(app->Terminated());
}
