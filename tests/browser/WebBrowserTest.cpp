#include "browser/WebBrowser.h"

#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace velvane;
using velvane::test::EnsureApplication;
using velvane::test::HttpReply;
using velvane::test::LoopbackHttpServer;
using velvane::test::ProcessEventsFor;
using velvane::test::ProcessEventsUntil;
using namespace std::chrono_literals;

namespace {

// The engine's first start takes a while on a loaded machine.
constexpr auto kLoadLimit = 60s;

HttpReply Page(const std::string& title, const std::string& body = "")
{
    HttpReply reply;
    reply.headers = {"Content-Type: text/html; charset=utf-8"};
    reply.body = "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
    return reply;
}

// Writes every browser event down as text, in the order they come.
struct EventLog {
    std::vector<std::string> lines;
    std::vector<std::string> statusTexts;
    int documents = 0;

    explicit EventLog(TWebBrowser& browser)
    {
        browser.OnDownloadBegin = [this, &browser](QObject* sender) {
            EXPECT_EQ(sender, &browser);
            lines.push_back("begin");
        };
        browser.OnProgressChange = [this](QObject*, int progress, int progressMax) {
            EXPECT_GE(progress, 0);
            EXPECT_LE(progress, progressMax);
            lines.push_back("progress/" + std::to_string(progressMax));
        };
        browser.OnDownloadComplete = [this](QObject*) { lines.push_back("complete"); };
        browser.OnDocumentComplete = [this](QObject*, const String& url) {
            lines.push_back("document " + url);
            ++documents;
        };
        browser.OnStatusTextChange = [this](QObject*, const String& text) { statusTexts.push_back(text); };
    }

    // Waits for the next finished document and returns the events since the
    // last call, progress reports folded into one.
    std::vector<std::string> NextDocument()
    {
        const int wanted = documents + 1;
        const bool done = ProcessEventsUntil([&] { return documents >= wanted; }, kLoadLimit);
        EXPECT_TRUE(done) << "no document finished loading";
        std::vector<std::string> folded;
        for (auto& line : lines)
            if (folded.empty() || folded.back() != line) folded.push_back(line);
        lines.clear();
        return folded;
    }
};

} // namespace

TEST(WebBrowserAddress, TextWithoutSchemeIsAWebAddress)
{
    EXPECT_EQ(BrowserAddress("www.example.org/a b"), "http://www.example.org/a b");
    EXPECT_EQ(BrowserAddress("  127.0.0.1:8080/x.html\r\n"), "http://127.0.0.1:8080/x.html");
    EXPECT_EQ(BrowserAddress("localhost:8080"), "http://localhost:8080");
    EXPECT_EQ(BrowserAddress("https://example.org/"), "https://example.org/");
    EXPECT_EQ(BrowserAddress("FTP://example.org/"), "FTP://example.org/");
    EXPECT_EQ(BrowserAddress("About:blank"), "About:blank");
    EXPECT_EQ(BrowserAddress("mailto:a@b.c"), "mailto:a@b.c");
    EXPECT_EQ(BrowserAddress("/tmp/page one.html"), "file:///tmp/page one.html");
    EXPECT_EQ(BrowserAddress(" \t "), "");
}

TEST(WebBrowser, NothingStartsBeforeTheFirstNavigation)
{
    EnsureApplication();
    TWebBrowser browser;
    EventLog log(browser);
    browser.GoBack();
    browser.GoForward();
    browser.Stop();
    browser.Refresh();
    browser.Navigate("   ");
    ProcessEventsFor(50ms);
    EXPECT_FALSE(browser.EngineStarted());
    EXPECT_FALSE(browser.Busy());
    EXPECT_EQ(browser.LocationURL(), "");
    EXPECT_TRUE(log.lines.empty());
}

TEST(WebBrowser, LoadsPagesWithEventsInOrderAndGoesBack)
{
    EnsureApplication();
    LoopbackHttpServer server;
    server.Serve("/one.html", Page("one"));
    server.Serve("/two.html", Page("two"));
    TWebBrowser browser;
    browser.resize(400, 300);
    EventLog log(browser);

    browser.Navigate(server.Url("/one.html"));
    ASSERT_TRUE(browser.EngineStarted());
    const std::vector<std::string> first{"begin", "progress/100", "complete", "document " + server.Url("/one.html")};
    ASSERT_EQ(log.NextDocument(), first);
    EXPECT_EQ(browser.LocationURL(), server.Url("/one.html"));
    EXPECT_FALSE(browser.Busy());

    browser.Navigate(server.Url("/two.html"));
    ASSERT_EQ(log.NextDocument().back(), "document " + server.Url("/two.html"));
    EXPECT_EQ(browser.LocationURL(), server.Url("/two.html"));

    browser.GoBack();
    EXPECT_EQ(log.NextDocument().back(), "document " + server.Url("/one.html"));
    EXPECT_EQ(browser.LocationURL(), server.Url("/one.html"));

    browser.GoForward();
    EXPECT_EQ(log.NextDocument().back(), "document " + server.Url("/two.html"));
}

TEST(WebBrowser, AddressTypedWithoutSchemeIsFetchedOverHttp)
{
    EnsureApplication();
    LoopbackHttpServer server;
    server.Serve("/typed.html", Page("typed"));
    TWebBrowser browser;
    EventLog log(browser);

    const std::string typed = "127.0.0.1:" + std::to_string(server.Port()) + "/typed.html";
    browser.Navigate(typed);
    log.NextDocument();
    EXPECT_EQ(browser.LocationURL(), "http://" + typed);
    bool fetched = false;
    for (const auto& request : server.Requests()) fetched = fetched || request.target == "/typed.html";
    EXPECT_TRUE(fetched);
}

namespace {

// The widget the engine takes mouse input through.
QWidget* InputWidget(TWebBrowser& browser)
{
    for (QWidget* child : browser.findChildren<QWidget*>())
        if (child->focusProxy()) return child->focusProxy();
    return nullptr;
}

void MoveMouse(QWidget* target, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

} // namespace

TEST(WebBrowser, StatusTextFollowsTheLinkUnderTheMouse)
{
    EnsureApplication();
    LoopbackHttpServer server;
    // A link over the top half of the page, nothing under the bottom half.
    server.Serve("/links.html",
                 Page("links", "<a href='/target.html' style='position:absolute;left:0;top:0;width:400px;"
                               "height:150px;display:block'>go</a>"));
    TWebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    EventLog log(browser);
    browser.Navigate(server.Url("/links.html"));
    log.NextDocument();
    QWidget* input = InputWidget(browser);
    ASSERT_NE(input, nullptr);

    const bool over = ProcessEventsUntil([&] {
        MoveMouse(input, {200, 60});
        ProcessEventsFor(20ms);
        return !log.statusTexts.empty() && log.statusTexts.back() == server.Url("/target.html");
    }, kLoadLimit);
    ASSERT_TRUE(over) << "no status text for the link under the mouse";

    const bool left = ProcessEventsUntil([&] {
        MoveMouse(input, {200, 250});
        ProcessEventsFor(20ms);
        return log.statusTexts.back().empty();
    }, kLoadLimit);
    EXPECT_TRUE(left) << "the status text stayed after the mouse left the link";
}
