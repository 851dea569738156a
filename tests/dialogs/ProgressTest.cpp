#include "dialogs/Unt_Progress.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/Streams.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestApp.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <memory>

using namespace velvane;
using velvane::test::HttpReply;
using namespace std::chrono_literals;

namespace {

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        FormProgress = new TFormProgress(nullptr);
    }
    void TearDown() override
    {
        delete FormProgress;
        FormProgress = nullptr;
        SetDownloadClient(nullptr);
    }
};

// Drives the box from a client's work events as the programs' feedback does,
// and remembers what the box looked like meanwhile.
class Download {
public:
    Download()
    {
        http.OnWorkBegin = [this](QObject*, TWorkMode, std::int64_t max) {
            FormProgress->SetPosition(0);
            FormProgress->SetRange(static_cast<int>(max));
            SetDownloadClient(&http);
            FormProgress->Show();
            shownDuring = FormProgress->Visible();
        };
        http.OnWork = [this](QObject*, TWorkMode, std::int64_t count) {
            FormProgress->SetPosition(static_cast<int>(count));
            if (OnWork) OnWork(count);
        };
        http.OnWorkEnd = [](QObject*, TWorkMode) { FormProgress->Close(); };
    }

    TIdHTTP http{nullptr};
    TMemoryStream dest;
    bool shownDuring = false;
    std::function<void(std::int64_t)> OnWork;
};

} // namespace

TEST_F(ProgressTest, ABorderlessBoxWhoseAnimationRunsOnlyWhileItIsUp)
{
    TFormProgress* box = FormProgress;
    QWidget* window = box->Widget();

    EXPECT_EQ(window->size(), QSize(274, 153));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(box->BasePanel->text(), "Baixando arquivo,  aguarde...");
    EXPECT_EQ(box->ProgBar->maximum(), 100);
    EXPECT_EQ(box->Btn_Cancel->text(), "Cancelar");

    // The animation runs only while the box is up.
    EXPECT_FALSE(box->Animate->Running());
    box->Show();
    EXPECT_TRUE(box->Animate->Running());
    box->Close();
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(box->Animate->Running());
}

TEST_F(ProgressTest, ShowingRunsWhatIsPendingOnce)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });

    FormProgress->Show();

    EXPECT_TRUE(ran);
}

TEST_F(ProgressTest, CancelDuringASlowDownloadStopsItAndTheNextDownloadShowsTheSameBox)
{
    test::Watchdog watchdog(60s, "cancel from the progress box");
    test::LoopbackHttpServer server;
    HttpReply slow;
    slow.body = std::string(200, 'x'); // ten seconds at the trickle's pace
    slow.kind = HttpReply::Kind::Trickle;
    server.Serve("/wallpaper.jpg", slow);
    HttpReply quick;
    quick.body = "fine";
    server.Serve("/banner.jpg", quick);
    TFormProgress* const box = FormProgress;
    QWidget* const window = box->Widget();

    Download first;
    bool clicked = false;
    first.OnWork = [&](std::int64_t count) {
        // The user's click arrives while the client pumps events.
        if (count >= 3 && !clicked) {
            clicked = true;
            QTimer::singleShot(0, box->Btn_Cancel, [box] { box->Btn_Cancel->click(); });
        }
    };
    EXPECT_THROW(first.http.Get(server.Url("/wallpaper.jpg"), first.dest), EIdConnClosedGracefully);

    EXPECT_TRUE(first.shownDuring);
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(first.http.Connected());
    EXPECT_LT(first.dest.Size(), 200);
    EXPECT_EQ(FormProgress, box); // hidden, not freed

    Download second;
    second.http.Get(server.Url("/banner.jpg"), second.dest);

    EXPECT_TRUE(second.shownDuring);
    EXPECT_EQ(FormProgress, box);
    EXPECT_EQ(box->Widget(), window);
    EXPECT_FALSE(box->Visible());
    EXPECT_EQ(box->ProgBar->maximum(), 4);
    EXPECT_EQ(box->ProgBar->value(), 4);
}

TEST_F(ProgressTest, CancelWithoutADownloadOnlyHides)
{
    FormProgress->Show();
    FormProgress->Btn_Cancel->click();
    EXPECT_FALSE(FormProgress->Visible());
}

TEST_F(ProgressTest, TheClientLinkIsClearedWhenTheClientIsFreed)
{
    auto http = std::make_unique<TIdHTTP>(nullptr);
    SetDownloadClient(http.get());
    EXPECT_EQ(DownloadClient, http.get());

    http.reset();
    EXPECT_EQ(DownloadClient, nullptr);
    FormProgress->Show();
    FormProgress->Btn_Cancel->click(); // nothing left to disconnect
    EXPECT_FALSE(FormProgress->Visible());

    // A client replaced by another is no longer watched for.
    TIdHTTP one(nullptr);
    auto other = std::make_unique<TIdHTTP>(nullptr);
    SetDownloadClient(other.get());
    SetDownloadClient(&one);
    other.reset();
    EXPECT_EQ(DownloadClient, &one);
}

TEST_F(ProgressTest, InsideTheMainWindowItStaysABoxOfItsOwn)
{
    QWidget mainWindow;
    mainWindow.resize(600, 400);
    mainWindow.show();
    FormProgress->Show();

    FormProgress->SetParentWindow(&mainWindow);

    QWidget* window = FormProgress->Widget();
    EXPECT_EQ(window->parentWidget(), &mainWindow);
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(FormProgress->Visible());
    EXPECT_EQ(window->size(), QSize(274, 153));

    // Given back before the main window goes, it outlives it.
    FormProgress->SetParentWindow(nullptr);
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(FormProgress->Visible());
}
