#include "platform/forms/StatusBar.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>

using namespace velvane;

TEST(StatusBar, PanelsKeepTheirTextsUntilABarTakesThemAndTheLastStretches)
{
    test::EnsureQtApp();
    TStatusBar later({150, 250});
    later.SetPanel(1, "Conectado.");

    QStatusBar bar;
    bar.setSizeGripEnabled(false);
    later.PlaceIn(&bar);
    bar.resize(600, 24);
    bar.show();
    const auto* first = bar.findChild<QLabel*>("Panel0");
    const auto* second = bar.findChild<QLabel*>("Panel1");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->text().toStdString(), "Conectado.");
    EXPECT_EQ(first->width(), 150);
    EXPECT_LT(first->geometry().right(), second->geometry().left());
    EXPECT_GT(second->width(), 250) << "the last takes what is left";
}
