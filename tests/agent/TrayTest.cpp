#include "components/controls/VELTrayIcon.h"
#include "platform/forms/Menus.h"
#include "tests/agent/AgentFixture.h"
#include "tests/support/QtApp.h"
#include "tests/support/TrayHost.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>

using namespace velvane;

// The area comes first: Qt must start on its display.
struct HostFirst {
    test::TrayHost host;
};
struct AgentInTray : HostFirst, test::AgentTest {};

TEST_F(AgentInTray, StartsHiddenInTheAreaWithItsMenuOfEnabledEntriesAndOnlySairEnds)
{
    if (!host.Absent().empty()) GTEST_SKIP() << host.Absent();
    ASSERT_EQ(host.Problem(), "");
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a test program of its own (ctest runs it so)";
    StartWith({"/fotos/a.jpg", "/fotos/c&d.jpg"}, {{"cfg_CurrentIMG", "/fotos/a.jpg"}});
    const HWND iconWindow = form->TrayIcon->WindowHandle();
    const auto docked = [&] { return NotifyIconNativeWindow(iconWindow, 0); };
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return host.InTray(docked()); }));
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(NotifyIconTip(iconWindow, 0).toStdString(), "Imagem atual /fotos/a.jpg.");

    // A right click shows the menu: its commands, then one item per entry.
    host.Click(docked(), 3);
    QMenu* menu = form->Popup->Items();
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return menu->isVisible(); }));
    QStringList items;
    for (const QAction* action : menu->actions()) items << action->text();
    EXPECT_EQ(items.join('|').toStdString(), "Atualizar|Restaurar|Sobre...||&Sair||/fotos/a.jpg|/fotos/c&&d.jpg");
    menu->hide();

    // A double click restores the window, "Minimizar" puts it back; the
    // close box only hides it.
    host.Click(docked(), 1, 2);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return form->Visible(); }));
    EXPECT_TRUE(OnTaskBar());
    form->Btn_OK->click();
    EXPECT_FALSE(form->Visible());
    form->RestaurarClick(nullptr);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_NE(form->WallPaper, nullptr);  // the close handler did not run
}
