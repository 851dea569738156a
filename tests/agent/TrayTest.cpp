#include "components/controls/VELTrayIcon.h"
#include "platform/forms/Menus.h"
#include "tests/agent/AgentFixture.h"
#include "tests/support/QtApp.h"
#include "tests/support/TrayHost.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <fstream>
#include <string>

using namespace velvane;

namespace {

// Font files this process has mapped.
int FontsMapped()
{
    std::ifstream maps("/proc/self/maps");
    int fonts = 0;
    for (std::string line; std::getline(maps, line);) fonts += line.ends_with(".ttf") || line.ends_with(".otf");
    return fonts;
}

} // namespace

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
    // Behind its icon the window has measured and drawn no text, so no
    // font is loaded; its status is kept for when it shows.
    EXPECT_EQ(FontsMapped(), 0);
    form->UpDateConStatus();
    EXPECT_EQ(form->ConStatus->Bar(), nullptr);

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
    // Shown, it has its design banner and, along the whole bottom edge, its
    // silver status bar with what the status said meanwhile.
    EXPECT_EQ(form->Image->grab().toImage().pixel(0, 0), qRgb(0x1B, 0x3A, 0x6B));
    QStatusBar* bar = form->ConStatus->Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(0, form->Widget()->height() - bar->height(), form->Widget()->width(), bar->height()));
    EXPECT_EQ(bar->grab().toImage().pixel(bar->width() - 3, bar->height() / 2), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(bar->findChild<QLabel*>("Panel0")->text().toStdString(), "Desconectado.");
    EXPECT_GT(FontsMapped(), 0);
    form->Btn_OK->click();
    EXPECT_FALSE(form->Visible());
    form->RestaurarClick(nullptr);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_NE(form->WallPaper, nullptr);  // the close handler did not run
}
