#include "platform/forms/Animate.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace velvane;
using velvane::test::ProcessEventsUntil;
using namespace std::chrono_literals;

namespace {

class AnimateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        animate.resize(272, 60);
        animate.SetStopFrame(3);
    }
    // The application comes before the widget.
    bool withApp = (velvane::test::EnsureQtApp(), true);
    TAnimate animate;
};

} // namespace

TEST_F(AnimateTest, RunsOnlyWhileActiveAndOnScreen)
{
    animate.SetActive(true);
    EXPECT_TRUE(animate.Active());
    EXPECT_FALSE(animate.Running()); // not shown yet

    animate.show();
    EXPECT_TRUE(animate.Running());
    animate.hide();
    EXPECT_FALSE(animate.Running());
    EXPECT_TRUE(animate.Active());

    animate.show();
    animate.SetActive(false);
    EXPECT_FALSE(animate.Running());
}

TEST_F(AnimateTest, FramesRunToTheStopFrameAndStartOver)
{
    animate.show();
    animate.SetActive(true);
    EXPECT_EQ(animate.Frame(), 1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return animate.Frame() == 3; }));
    ASSERT_TRUE(ProcessEventsUntil([&] { return animate.Frame() == 1; }));

    // A stopped animation keeps its frame.
    ASSERT_TRUE(ProcessEventsUntil([&] { return animate.Frame() == 2; }));
    animate.SetActive(false);
    velvane::test::ProcessEventsFor(std::chrono::milliseconds(3 * TAnimate::FrameInterval));
    EXPECT_EQ(animate.Frame(), 2);

    // A shorter run brings a frame beyond it back to the first.
    animate.SetStopFrame(1);
    EXPECT_EQ(animate.Frame(), 1);
}

TEST_F(AnimateTest, ThePageFliesInAnArcFromLeftToRight)
{
    animate.SetStopFrame(20);
    const QPoint first = animate.PageAt(1);
    const QPoint middle = animate.PageAt(10);
    const QPoint last = animate.PageAt(20);
    EXPECT_LT(first.x(), middle.x());
    EXPECT_LT(middle.x(), last.x());
    EXPECT_LT(middle.y(), first.y());
    EXPECT_EQ(first.y(), last.y());
    EXPECT_GE(middle.y(), 0); // stays inside the widget
    EXPECT_LT(last.x() + 14, animate.width());

    // The page is drawn where it is said to be: white inside a black edge.
    const QImage picture = animate.grab().toImage();
    const QPoint page = animate.PageAt(animate.Frame());
    EXPECT_EQ(QColor(picture.pixel(page + QPoint(1, 1))), QColor(Qt::white));
    EXPECT_EQ(QColor(picture.pixel(page)), QColor(Qt::black));
}
