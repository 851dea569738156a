// The schedule's due rules, the choice of the next image, and the scheduler's
// cycles on the injected clock, one cycle at a time.

#include "tests/agent/AgentFixture.h"

#include "agent/ActionManager.h"
#include "platform/net/IPWatch.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"

#include <net/if.h>

#include <atomic>
#include <cmath>
#include <deque>
#include <thread>
#include <tuple>

using namespace velvane;
using test::AgentTest;

TEST(AgentSchedule, DueRulesAtTheirEdges)
{
    const TDateTime monday = EncodeDate(1996, 1, 1);  // the stored default, 35065
    const TDateTime day = EncodeDate(2026, 3, 4);
    const TDateTime ten = day + EncodeTime(10, 0, 0, 0);
    EXPECT_EQ(monday, 35065);
    EXPECT_TRUE(agent::DueToday(day - 1 + EncodeTime(23, 59, 0, 0), day + EncodeTime(0, 1, 0, 0)));
    EXPECT_FALSE(agent::DueToday(ten, ten + EncodeTime(5, 0, 0, 0)));
    EXPECT_FALSE(agent::DueOnTime(ten, 3, day + EncodeTime(13, 0, 0, 0)));
    EXPECT_TRUE(agent::DueOnTime(ten, 3, ten + EncodeTime(3, 0, 1, 0)));
    EXPECT_FALSE(agent::DueOnTime(ten, 0, ten));
    EXPECT_TRUE(agent::DueThisWeek(monday, EncodeDate(2026, 3, 2)));   // a Monday
    EXPECT_FALSE(agent::DueThisWeek(monday, EncodeDate(2026, 3, 3)));  // a Tuesday
    EXPECT_FALSE(agent::DueThisWeek(monday, monday));
}

TEST(AgentSchedule, NextImageInOrderAtRandomAndAfterAFailure)
{
    TStringList six;
    six.SetText("a\nb\nc\nd\ne\nf");
    const struct { int order, pos, lastError; String current; std::deque<int> draws; int next; } cases[] = {
        {0, 5, 0, "F", {}, 0},          // the last one wraps; letter case ignored
        {0, -1, 4, "default", {}, 5},   // after the default image: past the failed one
        {0, 0, 9, "x", {}, 1},          // a resume position past the end counts as 0
        {0, 0, 6, "x", {}, 1},          // so does the count of entries itself
        {1, 1, 0, "b", {1, 1, 1}, 1},   // the third draw stands
    };
    for (auto c : cases) {
        TConfig cfg;
        cfg.cfg_Order = c.order, cfg.cfg_CurrentImgPos = c.pos, cfg.cfg_LastImageError = c.lastError;
        cfg.cfg_CurrentIMG = c.current;
        agent::SetImageAndPos(cfg, six, [&](int count) {
            EXPECT_EQ(count, 6);
            const int draw = c.draws.front();
            return c.draws.pop_front(), draw;
        });
        EXPECT_EQ(cfg.cfg_CurrentImgPos, c.next) << c.current;
        EXPECT_EQ(cfg.cfg_LastImageError, c.next) << c.current;
        EXPECT_EQ(cfg.cfg_CurrentIMG, six[c.next]) << c.current;
        EXPECT_TRUE(c.draws.empty()) << c.current;
    }
}

TEST_F(AgentTest, EachConnectionChangesThePictureOnceAndNoCycleSpinsOrRunsIntoAJob)
{
    AtomicWriteFile(env.Path("damaged.jpg"), String("\xFF\xD8\xFF\xE0 not a picture", 20));
    const String good = Jpeg("good.jpg", test::Filled(32, 32, 0xFF20C040));
    StartWith({env.Path("damaged.jpg"), good},
              {{"cfg_Action", "4"}, {"cfg_ConType", "4"}, {"cfg_CurrentIMG", good}, {"cfg_CurrentImgPos", "1"}});
    agent::TActionManager* scheduler = form->ActionManager.get();
    std::atomic<int> allowed{0}, done{0};
    // Each pause moves the clocks on by an hour, past any wait for a retry.
    test::MovingClock hours;
    SetClock(&hours);
    test::FakeTickClock ticks;
    // Lets the scheduler make n more cycles; every pause it takes is the
    // whole 3000 ms and lasts until the main thread has run the cycle handed
    // over, and every cycle, whatever it meets, is one hand-over.
    const std::uint64_t handOvers = SynchronizeCallsMade();
    const auto cycles = [&](int n) {
        allowed += n;
        if (scheduler->Suspended()) {
            scheduler->Pause = [&](int ms) {
                EXPECT_EQ(ms, 3000);
                hours.now = hours.now + 1.0 / 24;
                ticks.Advance(std::chrono::hours(1));
                ++done;
                while ((done >= allowed || SynchronizeCallsWaiting()) && !scheduler->Terminated())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            };
            scheduler->Resume();
        }
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return done >= allowed && !SynchronizeCallsWaiting(); }));
        EXPECT_EQ(SynchronizeCallsMade() - handOvers, static_cast<std::uint64_t>(allowed.load()));
    };
    // The machine's network, as the broadband check sees it; a job may start
    // on the main thread while the check runs.
    const auto network = [&](bool up, bool jobStarts = false) {
        form->IPWatch->InterfaceSource = [this, up, jobStarts] {
            if (jobStarts) form->WallPaper->Busy = true;
            return std::vector<TNetInterfaceAddress>{{"eth0", up ? IFF_UP | IFF_RUNNING : 0u, "192.0.2.7"}};
        };
    };
    // The rest of the cycle, handed over before the scheduler could see the
    // job, waits.
    network(true, true);
    cycles(1);
    EXPECT_EQ(desktop.log.size(), 0u);
    form->WallPaper->Busy = false;
    network(true);
    cycles(1);  // the damaged picture raises: offline until the next check, after a pause
    EXPECT_EQ(Panel(0), "Desconectado.");
    cycles(2);  // the settings download fails every time: no new connection for that
    EXPECT_EQ(desktop.log.size(), 0u);
    EXPECT_EQ(Panel(0), "Conectado.");
    network(false);
    cycles(1);
    network(true);
    cycles(2);
    EXPECT_EQ(desktop.log.size(), 1u);
    EXPECT_FALSE(form->QuitRequested());
    delete std::exchange(form, nullptr);  // stops the scheduler while the counters exist
}

TEST_F(AgentTest, AfterARunThatAppliesNothingAutomaticRunsWaitLongerEachTime)
{
    EXPECT_EQ(agent::RetryDelay(100000), 3600);  // from 3 s, doubling, an hour at most
    test::LoopbackHttpServer server;             // 404 until the picture is served
    test::MovingClock moving;
    SetClock(&moving);
    test::FakeTickClock ticks;
    const auto start = ticks.Now();
    // Every zero hours: due whenever the clock has moved past the last change.
    StartWith({server.Url("/a.jpg")}, {{"cfg_Action", "2"}});
    Loopback(server.Port());
    // A scheduler cycle at that many seconds: a settings download that fails
    // (no address known), the schedule, the status; the requests so far.
    // The waits run on the ticks, whatever the date and time are set to.
    double setBack = 0;
    const auto cycle = [&](double seconds) {
        ticks.AdvanceTo(start + std::chrono::milliseconds(std::lround(seconds * 1000)));
        moving.now = 46365.5 + (seconds - setBack) / 86400;
        form->LoadServerSettings(), form->CheckSchedule(), form->UpDateConStatus();
        return server.Requests().size();
    };
    // Summer time ends between the first two runs: the clock goes back an hour.
    for (auto [seconds, requests, back] :
         {std::tuple{0.0, 1u, 0.0}, {2.9, 1u, 0.0}, {3.1, 2u, 3600.0}, {9.0, 2u, 3600.0}, {9.2, 3u, 3600.0}}) {
        setBack = back;
        EXPECT_EQ(cycle(seconds), requests) << seconds;
        EXPECT_EQ(Panel(1), "Nenhuma das imagens pôde ser aplicada.") << seconds;
    }
    // The user's "Atualizar" tries at once, and fails into a 24 s wait.
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(cycle(33.1), 4u);
    // A picture applied ends the waits: the next failure waits 3 s again.
    server.Serve("/a.jpg", {200, "OK", {}, EncodeJpeg(test::Filled(16, 16, 0xFF2040C0))});
    EXPECT_EQ(cycle(33.3), 5u);
    EXPECT_EQ(Panel(1), "");
    server.Serve("/a.jpg", {404, "Not Found", {}, ""});
    EXPECT_EQ(cycle(33.4), 6u);
    EXPECT_EQ(cycle(36.3), 6u);
    EXPECT_EQ(cycle(36.5), 7u);
    EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text;
}

// The user's run fails on every road and ends in a box; while the box is
// open the scheduler's hand-over is still served, and it must start no job
// inside the chain still being handled.
TEST_F(AgentTest, NoScheduledJobStartsWhileAFailedRunsBoxIsOpen)
{
    test::LoopbackHttpServer proxy;  // answers the echo; every picture 404
    test::MovingClock moving;
    SetClock(&moving);
    StartWith({proxy.Url("/a.jpg")}, {{"cfg_Action", "2"}, {"cfg_ConType", "2"}, {"cfg_ProxyIP", "127.0.0.1"},
                                                 {"cfg_ProxyPort", std::to_string(proxy.Port())},
                                                 {"cfg_UseDefaultImage", "True"}});
    form->DefaultImage = proxy.Url("/default.jpg");
    form->CheckConnection();
    ASSERT_TRUE(Online);
    agent::TActionManager* scheduler = form->ActionManager.get();
    std::atomic<int> cycles{0};
    size_t requestsWhileOpen = 0;
    dialogs.OnRequest = [&](const ModalRequest&) {
        if (!scheduler->Suspended()) return;
        const size_t before = proxy.Requests().size();
        scheduler->Pause = [&](int) {
            for (++cycles; !scheduler->Terminated();) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        moving.now = moving.now + 1.0 / 24;  // the schedule is due
        scheduler->Resume();
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return cycles > 0; }));
        requestsWhileOpen = proxy.Requests().size() - before;
    };
    form->AtualizaragoraClick(nullptr);
    EXPECT_EQ(cycles, 1);
    EXPECT_EQ(requestsWhileOpen, 0u);
    EXPECT_EQ(proxy.Requests().size(), 2u) << "the picture and the default image, once each";
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(Panel(1), "Nenhuma das imagens pôde ser aplicada.");
    delete std::exchange(form, nullptr);  // stops the scheduler while the counters exist
}
