#include "platform/forms/Application.h"

#include "platform/classes/Thread.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/TestApp.h"
#include "platform/desktop/ProgramRunner.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace velvane;
using velvane::test::EnsureApplication;
using velvane::test::ScriptedResponder;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

struct Caught {
    std::string className;
    std::string message;
    TPersistent* sender = nullptr;
};

// Records into a list, and takes the handler off the shared application when
// the test ends.
class OnExceptionGuard {
public:
    explicit OnExceptionGuard(std::vector<Caught>& into)
    {
        Application->OnException = [&into](TPersistent* sender, const Exception& e) {
            into.push_back({e.ClassName(), e.Message(), sender});
        };
    }
    ~OnExceptionGuard() { Application->OnException = nullptr; }
};

// An object whose event handler fails, as a form's handler might.
class Throwing : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) throw std::runtime_error("posted event failed");
        return QObject::event(e);
    }
};

// Runs a nested loop until quit is called, or fails after a few seconds.
void RunLoopUntilQuit(QEventLoop& loop)
{
    QTimer::singleShot(10s, &loop, [&loop] {
        ADD_FAILURE() << "event loop did not end in time";
        loop.quit();
    });
    loop.exec();
}

} // namespace

TEST(ApplicationObject, IsTheGlobalOneAndCarriesTheTitle)
{
    TApplication* app = EnsureApplication();
    EXPECT_EQ(Application, app);
    EXPECT_EQ(app->Qt(), qobject_cast<QApplication*>(QCoreApplication::instance()));
    // Closing the last window does not end the program; the main form does.
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());

    app->SetTitle("Kestrin Editor");
    EXPECT_EQ(app->Title(), "Kestrin Editor");
    EXPECT_EQ(QCoreApplication::applicationName(), "Kestrin Editor");
}

TEST(ApplicationObject, WindowTitlesOnARealDisplayAreTheCaptionAlone)
{
    test::XvfbServer server("320x200x24");
    if (!server.Installed()) GTEST_SKIP() << server.Problem();
    ASSERT_TRUE(server.Running()) << server.Problem();
    String title;
    ASSERT_EQ(RunProgram(TITLE_PROBE, {server.Display(), "Velvane 2.0 [/home/u/a.vnx]"}, &title), 0);
    EXPECT_EQ(title, "Velvane 2.0 [/home/u/a.vnx]\n");
}

TEST(ApplicationObject, QtsOwnTextsSpeakPortuguese)
{
    EnsureApplication();
    // Standard buttons and file dialogs, whatever the user's locale.
    QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Sim");
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), QString::fromUtf8("Não"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Cancelar");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:").remove('&'), "Nome do arquivo:");
}

TEST(ApplicationEventLoop, ExceptionsStopAtTheLoopWhichGoesOnUntilTerminate)
{
    Watchdog dog(30s, "event loop with failing handlers");
    TApplication* app = EnsureApplication();
    if (!app->CatchesAtDispatch()) GTEST_SKIP() << "a plain QApplication was made first";
    ScriptedResponder responder;
    std::vector<Caught> caught;
    OnExceptionGuard guard(caught);
    std::vector<std::string> hooked;
    TApplicationEvents events(nullptr);
    events.OnException = [&](TPersistent*, const Exception& e) { hooked.push_back(e.Message()); };

    Throwing target;
    QTimer::singleShot(0, [] { throw EConvertError("'abc' is not a valid integer value"); });
    QTimer::singleShot(5, [] { throw 42; });
    QTimer::singleShot(10, [&] { QCoreApplication::postEvent(&target, new QEvent(QEvent::User)); });
    bool later = false;
    // Posted, so it comes behind the event the 10 ms timer posts however
    // late a busy machine runs both timers.
    QTimer::singleShot(50, [&] {
        QMetaObject::invokeMethod(
            &target,
            [&] {
                later = true;
                app->Terminate();
            },
            Qt::QueuedConnection);
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] {
        ADD_FAILURE() << "Terminate did not end the loop";
        QCoreApplication::exit(1);
    });
    safety.start(10s);
    EXPECT_EQ(QCoreApplication::exec(), 0);

    EXPECT_TRUE(later);
    EXPECT_TRUE(app->Terminated());
    ASSERT_EQ(caught.size(), 3u);
    EXPECT_EQ(caught[0].className, "EConvertError");
    EXPECT_EQ(caught[0].message, "'abc' is not a valid integer value");
    EXPECT_EQ(caught[0].sender, app);
    EXPECT_EQ(caught[1].className, "Exception");
    EXPECT_EQ(caught[1].message, "Unknown exception");
    // Foreign exceptions arrive as ours, with their text.
    EXPECT_EQ(caught[2].className, "Exception");
    EXPECT_EQ(caught[2].message, "posted event failed");
    EXPECT_EQ(hooked, (std::vector<std::string>{"'abc' is not a valid integer value", "Unknown exception",
                                                "posted event failed"}));
    // Handled: no error box.
    EXPECT_TRUE(responder.requests.empty());
}

TEST(ApplicationEventLoop, UnhandledExceptionShowsAnErrorBox)
{
    Watchdog dog(30s);
    TApplication* app = EnsureApplication();
    if (!app->CatchesAtDispatch()) GTEST_SKIP() << "a plain QApplication was made first";
    ScriptedResponder responder;

    QEventLoop loop;
    QTimer::singleShot(0, [] { throw EFOpenError("Cannot open file \"x.vnx\""); });
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    RunLoopUntilQuit(loop);

    ASSERT_EQ(responder.requests.size(), 1u);
    const ModalRequest& box = responder.requests[0];
    EXPECT_EQ(box.kind, ModalRequest::Kind::Message);
    EXPECT_EQ(box.text, "Cannot open file \"x.vnx\"");
    EXPECT_EQ(box.type, TMsgDlgType::mtError);
    EXPECT_EQ(box.buttons, static_cast<TMsgDlgButtons>(mbOK));
}

TEST(ApplicationHandleException, HandlersRunInOrderAndTheirOwnFailuresAreShown)
{
    TApplication* app = EnsureApplication();
    ScriptedResponder responder;
    std::vector<std::string> order;
    app->OnException = [&](TPersistent*, const Exception&) {
        order.push_back("application");
        throw EInvalidOperation("handler failed");
    };
    auto* first = new TApplicationEvents(nullptr);
    auto* second = new TApplicationEvents(nullptr);
    auto* third = new TApplicationEvents(nullptr);
    first->OnException = [&](TPersistent*, const Exception& e) {
        order.push_back(std::string("first ") + e.ClassName());
        // A handler may free another hook while the hooks are being called.
        delete second;
        second = nullptr;
    };
    second->OnException = [&](TPersistent*, const Exception&) { order.push_back("second"); };
    third->OnException = [&](TPersistent*, const Exception&) { order.push_back("third"); };

    TComponent sender(nullptr);
    EXPECT_NO_THROW({
        try {
            throw EListError("List index out of bounds (3)");
        } catch (...) {
            app->HandleException(&sender);
        }
    });
    EXPECT_EQ(order, (std::vector<std::string>{"application", "first EListError", "third"}));
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_EQ(responder.requests[0].text, "handler failed");

    // A freed hook hears nothing more; with no handler left the box shows.
    app->OnException = nullptr;
    delete first;
    delete third;
    order.clear();
    try {
        throw std::logic_error("bad state");
    } catch (...) {
        app->HandleException(&sender);
    }
    EXPECT_TRUE(order.empty());
    ASSERT_EQ(responder.requests.size(), 2u);
    EXPECT_EQ(responder.requests[1].text, "bad state");
    EXPECT_EQ(responder.requests[1].type, TMsgDlgType::mtError);

    // Outside a catch there is nothing to handle.
    app->HandleException(&sender);
    EXPECT_EQ(responder.requests.size(), 2u);
}

namespace {

class Worker : public TThread {
public:
    Worker(std::function<void(Worker&)> body, bool createSuspended)
        : TThread(createSuspended), body_(std::move(body))
    {
    }
    ~Worker() override
    {
        Terminate();
        if (!Suspended() && !Finished()) WaitFor();
    }

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(Worker&)> body_;
};

} // namespace

TEST(ApplicationThreads, ProcessMessagesServesWorkersSynchronize)
{
    Watchdog dog(30s, "ProcessMessages with a waiting worker");
    TApplication* app = EnsureApplication();
    std::thread::id ranOn;
    std::atomic<bool> done{false};
    std::thread caller([&] {
        TThread::Synchronize(nullptr, [&] { ranOn = std::this_thread::get_id(); });
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        app->ProcessMessages();
        std::this_thread::sleep_for(1ms);
    }
    caller.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(ApplicationThreads, EventLoopServesWorkersWithoutPolling)
{
    Watchdog dog(30s, "event loop with synchronizing workers");
    EnsureApplication();
    QEventLoop loop;
    std::vector<int> calls;
    std::atomic<int> finished{0};
    auto onTerminate = [&](TThread*) {
        if (++finished == 2) loop.quit();
    };

    // Resumed from a suspended start.
    Worker suspended(
        [&](Worker& self) {
            for (int i = 0; i < 20; ++i) self.Synchronize([&, i] { calls.push_back(i); });
        },
        true);
    suspended.OnTerminate = onTerminate;
    // Started by the loop once its constructor has returned.
    std::atomic<bool> ranRunning{false};
    Worker running([&](Worker&) { ranRunning = true; }, false);
    running.OnTerminate = onTerminate;

    QTimer::singleShot(0, [&] { suspended.Resume(); });
    RunLoopUntilQuit(loop);

    EXPECT_EQ(finished.load(), 2);
    EXPECT_TRUE(ranRunning);
    ASSERT_EQ(calls.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(calls[i], i);
}
