#include "dialogs/HelpLink.h"
#include "dialogs/TformHelp.h"
#include "display/TformMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

class HelpViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, {});
    main = std::make_unique<TformMain>(TSupervisor::Options{{"test"}, env, false});
    main->move(200, 150);
    main->show();
  }
  void TearDown() override {
    DestroyHelpWindow();
    main.reset();
  }

  void Choose(const char* item) {
    auto* action = main->menuHelp()->findChild<QAction*>(item);
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
  }
  static int HelpWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<TformHelp*>(w) ? 1 : 0;
    return n;
  }
  static QString Shown(const QTextBrowser* pane) { return pane->source().toLocalFile(); }
  // A click as the window system delivers it, so a modal dialog may block it.
  static void ClickClose(TformHelp* help) {
    QWidget* button = help->btnClose();
    QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(help, button->rect().center()));
    QApplication::processEvents();
  }

  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TformMain> main;
};

TEST_F(HelpViewerTest, MenuItemsOpenTheirPages) {
  const std::pair<const char*, const char*> items[] = {
      {"menuHelpOverview", "overview.html"},
      {"menuHelpDisplay", "preferences/display.html"},
      {"menuHelpCharts", "preferences/charts.html"},
      {"menuHelpAlerts", "preferences/email.html"},
      {"menuHelpCfgNet", "preferences/network.html"},
      {"menuHelpNetOver", "network/index.html"},
      {"menuHelpMonitors", "network/monitor.html"},
      {"menuHelpFindNew", "network/findnew.html"},
      {"menuHelpFindByIp", "network/findbyip.html"},
      {"menuHelpFirewalls", "network/firewalls.html"},
  };
  for (const auto& [item, page] : items) {
    Choose(item);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(Shown(HelpWindow()->browser()).endsWith(QStringLiteral("/help/") + page)) << item;
    EXPECT_TRUE(Shown(HelpWindow()->browserContents()).endsWith("/help/contents.html"));
  }
  // The menu shows the captions under their submenus.
  QStringList captions;
  for (QAction* a : main->menuHelp()->actions())
    captions << (a->menu() ? a->menu()->title() : a->text());
  EXPECT_EQ(captions.mid(0, 3), (QStringList{"&Overview", "&Program Setup", "Networking"}));
}

TEST_F(HelpViewerTest, FirewallsTwiceLeavesOneWindowCentredOnTheMain) {
  EXPECT_EQ(HelpWindow(), nullptr);
  Choose("menuHelpFirewalls");
  TformHelp* first = HelpWindow();
  ASSERT_NE(first, nullptr);
  Choose("menuHelpFirewalls");
  EXPECT_EQ(HelpWindow(), first);
  EXPECT_EQ(HelpWindows(), 1);
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->windowTitle(), "Quietmark Supervisor Help");
  EXPECT_TRUE(Shown(first->browser()).endsWith("/help/network/firewalls.html"));
  EXPECT_LE((first->frameGeometry().center() - main->frameGeometry().center()).manhattanLength(),
            4);
  EXPECT_EQ(first->browserContents()->width(), 163);
}

TEST_F(HelpViewerTest, ContentsLinksRouteToTheRightPane) {
  ShowHelpPage("overview.html");
  TformHelp* help = HelpWindow();
  ASSERT_NE(help, nullptr);
  const QString contents = Shown(help->browserContents());
  emit help->browserContents()->anchorClicked(QUrl("network/index.html"));
  EXPECT_TRUE(Shown(help->browser()).endsWith("/help/network/index.html"));
  EXPECT_EQ(Shown(help->browserContents()), contents);
  // The contents page itself stays on the left.
  emit help->browserContents()->anchorClicked(QUrl("contents.html#networking"));
  EXPECT_EQ(help->browserContents()->source().fragment(), "networking");
  EXPECT_TRUE(Shown(help->browser()).endsWith("/help/network/index.html"));
}

TEST_F(HelpViewerTest, CloseHidesAndTheNextRequestShowsTheSameWindow) {
  ShowHelpPage("overview.html");
  TformHelp* help = HelpWindow();
  ASSERT_NE(help, nullptr);
  help->btnClose()->click();
  EXPECT_FALSE(help->isVisible());
  ShowHelpPage("network/monitor.html");
  EXPECT_EQ(HelpWindow(), help);
  EXPECT_TRUE(help->isVisible());
  help->close();  // the close box
  EXPECT_FALSE(help->isVisible());
  EXPECT_EQ(HelpWindow(), help);
}

TEST_F(HelpViewerTest, HelpFromAClosedDialogIsTheMainMenusHelp) {
  auto dialog = std::make_unique<QDialog>(main.get());
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  ShowHelpPage("preferences/display.html");
  TformHelp* help = HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_NE(help->parent(), dialog.get());
  // Asked for from a modal dialog, the help still takes clicks.
  ClickClose(help);
  EXPECT_FALSE(help->isVisible());
  ShowHelpPage("preferences/charts.html");
  dialog.reset();
  ASSERT_EQ(HelpWindow(), help);
  Choose("menuHelpOverview");
  EXPECT_EQ(HelpWindow(), help);
  EXPECT_EQ(HelpWindows(), 1);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(Shown(help->browser()).endsWith("/help/overview.html"));
  ClickClose(help);
  EXPECT_FALSE(help->isVisible());
}

}  // namespace
