#include "core/ISupervisorUi.h"
#include "core/IniFile.h"
#include "core/TCfg.h"
#include "display/LeqReadout.h"
#include "display/LevelChartView.h"
#include "display/TFrameClient.h"
#include "display/bh_ledbar.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {

class FrameClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    cfg = std::make_unique<TCfg>(env);
    panel.resize(1000, 800);
  }
  IniFile TermCfg(const QString& id) {
    QDir().mkpath(cfg->DataPath() + id);
    return IniFile(cfg->DataPath() + id + "/term.cfg");
  }
  void StoreWin(const QString& id, int x, int y, int cx, int cy, int state) {
    IniFile ini = TermCfg(id);
    ini.WriteInteger("win", "xrel", x);
    ini.WriteInteger("win", "yrel", y);
    ini.WriteInteger("win", "cxrel", cx);
    ini.WriteInteger("win", "cyrel", cy);
    ini.WriteInteger("win", "state", state);
  }
  TFrameClient* Open(const QString& id, const QString& name = "Name", const QString& modules = {},
                     const QString& uid = {}) {
    auto* f = new TFrameClient(&panel, *cfg, ui);
    f->Init();
    f->Connect(nullptr, "Quietmark-SE", id, name, uid, modules);
    return f;
  }
  // Sends a mouse event to a widget as if the pointer were at a screen point.
  static void Mouse(QWidget* w, QEvent::Type type, QPoint global) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }

  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TCfg> cfg;
  TNullSupervisorUi ui;
  QWidget panel;
};

TEST_F(FrameClientTest, WindowsWithoutStoredPlaceCascade) {
  const int n = TFrameClient::CascadeCounter();
  TFrameClient* a = Open("A");
  TFrameClient* b = Open("B");
  // A fifth of the width, three tenths of the height, one per cent further for each window.
  EXPECT_EQ(a->geometry(), QRect(10 * n, 8 * n, 200, 240));
  EXPECT_EQ(b->geometry(), QRect(10 * (n + 1), 8 * (n + 1), 200, 240));
  EXPECT_TRUE(a->isVisibleTo(&panel));
  // Nothing is stored until the window is moved.
  EXPECT_FALSE(TermCfg("A").Read("win", "xrel"));
  a->SetWinPos(250, 200);
  EXPECT_EQ(TermCfg("A").ReadInteger("win", "xrel", 0), 25000);
  EXPECT_EQ(TermCfg("A").ReadInteger("win", "yrel", 0), 25000);
  EXPECT_EQ(TermCfg("A").ReadInteger("win", "cxrel", 0), 20000);
  EXPECT_EQ(TermCfg("A").ReadInteger("win", "state", -1), 1);
}

TEST_F(FrameClientTest, StoredGeometryIsRestoredAndMadeSafe) {
  struct Case {
    const char* what;
    int x, y, cx, cy, state;
    QRect expected;
  };
  const Case cases[] = {
      {"normal", 10000, 20000, 50000, 50000, 1, QRect(100, 160, 500, 400)},
      {"tiny sizes grow to the minimum", 0, 0, 1, 1, 1, QRect(0, 0, 134, 60)},
      {"compact with live levels", 50000, 50000, 50000, 50000, 0, QRect(500, 400, 134, 37)},
      {"state 2 keeps the designed place and size", 50000, 50000, 50000, 50000, 2,
       QRect(0, 0, 352, 264)},
      {"unknown state is normal", 0, 0, 20000, 30000, 9, QRect(0, 0, 200, 240)},
      {"absurd numbers are clamped", INT_MAX, INT_MIN, INT_MAX, 2000000000, 1,
       QRect(10000, 0, 10000, 8000)},
  };
  int i = 0;
  for (const Case& c : cases) {
    const QString id = QString("M%1").arg(i++);
    StoreWin(id, c.x, c.y, c.cx, c.cy, c.state);
    TFrameClient* f = Open(id);
    EXPECT_EQ(f->geometry(), c.expected) << c.what;
  }
  // Garbage in term.cfg reads as the defaults.
  IniFile ini = TermCfg("G");
  ini.WriteString("win", "xrel", "1e99");
  ini.WriteString("win", "cxrel", "wide");
  const int n = TFrameClient::CascadeCounter();
  EXPECT_EQ(Open("G")->geometry(), QRect(10 * n, 8 * n, 200, 240));
}

TEST_F(FrameClientTest, CompactHeightFollowsLiveLevels) {
  StoreWin("C", 0, 0, 50000, 50000, 0);
  cfg->SetRTLive(false);
  TFrameClient* f = Open("C");
  EXPECT_EQ(f->size(), QSize(134, 22));
  EXPECT_TRUE(f->panelStatus()->isHidden());
  cfg->SetRTLive(true);
  f->ShowPanels();
  EXPECT_EQ(f->height(), 37);
  EXPECT_FALSE(f->panelLeds()->isHidden());
  // The state button expands to the last normal size and stores the state.
  f->btnWinState()->click();
  EXPECT_EQ(f->GetWinState(), wsNorm);
  EXPECT_EQ(f->size(), QSize(500, 400));
  EXPECT_FALSE(f->panelStatus()->isHidden());
  EXPECT_EQ(TermCfg("C").ReadInteger("win", "state", -1), 1);
  f->btnWinState()->click();
  EXPECT_EQ(f->GetWinState(), wsCompact);
  EXPECT_EQ(TermCfg("C").ReadInteger("win", "state", -1), 0);
}

TEST_F(FrameClientTest, StateTwoButtonMakesCompact) {
  StoreWin("S", 50000, 50000, 50000, 50000, 2);
  TFrameClient* f = Open("S");
  f->btnWinState()->click();
  EXPECT_EQ(f->GetWinState(), wsCompact);
  EXPECT_EQ(f->geometry(), QRect(500, 400, 134, 37));
}

TEST_F(FrameClientTest, PanelsFollowTheSwitches) {
  StoreWin("P", 0, 0, 35200, 33000, 1);  // 352 x 264
  TFrameClient* f = Open("P");
  ASSERT_EQ(f->size(), QSize(352, 264));
  EXPECT_EQ(f->panelLeds()->height(), (264 - 20) / 6);
  EXPECT_FALSE(f->panelHistory()->isHidden());
  EXPECT_FALSE(f->lblChartPeriod()->isHidden());
  // Live levels only: the LED strip fills the window over a black status strip.
  cfg->SetHistory(false);
  f->ShowPanels();
  EXPECT_TRUE(f->panelHistory()->isHidden());
  EXPECT_EQ(f->panelLeds()->height(), 264 - 23);
  EXPECT_EQ(f->panelStatus()->palette().color(QPalette::Window), QColor(Qt::black));
  cfg->SetHistory(true);
  cfg->SetRTLive(false);
  f->ShowPanels();
  EXPECT_TRUE(f->panelLeds()->isHidden());
  EXPECT_EQ(f->panelStatus()->palette().color(QPalette::Window), QColor(Qt::white));
  // Narrow windows hide the period label.
  f->SetWinSize(200, 264);
  EXPECT_TRUE(f->lblChartPeriod()->isHidden());
}

TEST_F(FrameClientTest, DragStopsAtThePanelEdges) {
  StoreWin("D", 10000, 10000, 20000, 20000, 1);  // at (100, 80), 200 x 160
  TFrameClient* f = Open("D");
  const QPoint start = f->panelTitle()->mapToGlobal(QPoint(60, 10));
  Mouse(f->panelTitle(), QEvent::MouseButtonPress, start);
  EXPECT_TRUE(f->Selected());
  Mouse(f->panelTitle(), QEvent::MouseMove, start + QPoint(50, 40));
  EXPECT_EQ(f->pos(), QPoint(150, 120));
  Mouse(f->panelTitle(), QEvent::MouseMove, start + QPoint(5000, -5000));
  EXPECT_EQ(f->pos(), QPoint(800, 0));
  Mouse(f->panelTitle(), QEvent::MouseButtonRelease, start + QPoint(5000, -5000));
  EXPECT_EQ(TermCfg("D").ReadInteger("win", "xrel", 0), 80000);
  EXPECT_EQ(TermCfg("D").ReadInteger("win", "yrel", -1), 0);
  // Released: further moves do nothing.
  Mouse(f->panelTitle(), QEvent::MouseMove, start);
  EXPECT_EQ(f->pos(), QPoint(800, 0));
}

TEST_F(FrameClientTest, SizingByTheGrip) {
  StoreWin("Z", 70000, 0, 20000, 20000, 1);  // at (700, 0), 200 x 160
  TFrameClient* f = Open("Z");
  QLabel* grip = f->imageSize();
  ASSERT_FALSE(grip->isHidden());
  const QPoint start = grip->mapToGlobal(QPoint(7, 7));
  Mouse(grip, QEvent::MouseButtonPress, start);
  EXPECT_TRUE(f->panelStatus()->isHidden());  // the status strip hides while sizing
  EXPECT_FALSE(grip->isHidden());
  Mouse(grip, QEvent::MouseMove, start + QPoint(-150, -150));
  EXPECT_EQ(f->size(), QSize(134, 60));
  Mouse(grip, QEvent::MouseMove, start + QPoint(500, 100));
  EXPECT_EQ(f->size(), QSize(300, 260));  // cut at the right edge
  Mouse(grip, QEvent::MouseButtonRelease, start + QPoint(500, 100));
  EXPECT_FALSE(f->panelStatus()->isHidden());
  EXPECT_EQ(TermCfg("Z").ReadInteger("win", "cxrel", 0), 30000);
  EXPECT_EQ(TermCfg("Z").ReadInteger("win", "cyrel", 0), 32500);
  // The stored size comes back with the panel's next size.
  panel.resize(500, 400);
  f->Reposition();
  EXPECT_EQ(f->geometry(), QRect(350, 0, 150, 130));
}

TEST_F(FrameClientTest, AlarmDisplay) {
  TFrameClient* f = Open("AL");
  f->SetAlarmCount(1);
  EXPECT_TRUE(f->TitleRed());
  EXPECT_FALSE(f->lblAlmCount()->isHidden());
  EXPECT_EQ(f->lblAlmCount()->text(), "1");
  EXPECT_EQ(f->lblAlmCount()->toolTip(), "1 alarm");
  f->SetAlarmCount(3);
  EXPECT_EQ(f->lblAlmCount()->toolTip(), "3 alarms");
  // What the title shows, next to its text and behind the alarm count.
  auto ground = [&] {
    const QImage title = f->panelTitle()->grab().toImage();
    return std::pair(title.pixelColor(title.width() / 2, 1),
                     title.pixelColor(title.width() - 2, 1));
  };
  const QColor alarmColour = f->TitleColour();
  EXPECT_EQ(alarmColour, QColor(255, 0, 0));
  EXPECT_EQ(ground(), std::pair(alarmColour, alarmColour));
  f->SetAlarmCount(0);
  EXPECT_FALSE(f->TitleRed());
  EXPECT_TRUE(f->lblAlmCount()->isHidden());
  EXPECT_NE(f->TitleColour(), alarmColour);
  EXPECT_EQ(ground(), std::pair(f->TitleColour(), f->TitleColour()));
  f->SetAlarmCount(1);
  EXPECT_EQ(ground(), std::pair(alarmColour, alarmColour));
  f->SetAlarmCount(0);

  f->SetAlarmCount(2);
  f->NewAlarm();
  EXPECT_TRUE(f->timerAlarmFlash().isActive());
  EXPECT_TRUE(f->timerAlarm().isActive());
  EXPECT_EQ(f->timerAlarmFlash().interval(), 500);
  EXPECT_EQ(f->timerAlarm().interval(), 10000);
  const bool red = f->TitleRed();
  ASSERT_TRUE(qmtest::WaitFor([&] { return f->TitleRed() != red; }, 2000));  // flashing
  // When the alarm timer runs out (shortened here) the flashing stops on red.
  f->timerAlarm().start(20);
  ASSERT_TRUE(qmtest::WaitFor([&] { return !f->timerAlarmFlash().isActive(); }, 2000));
  EXPECT_TRUE(f->TitleRed());
}

// A window wholly outside the main area takes its values without repainting; brought into
// sight it paints again, with the values it took meanwhile.
TEST_F(FrameClientTest, OnlyWindowsInsideTheMainAreaRepaint) {
  TFrameClient* f = Open("SIGHT");
  panel.show();  // a hidden window gets its move events when shown
  EXPECT_TRUE(f->updatesEnabled());
  f->move(panel.width() + 10, 0);
  EXPECT_FALSE(f->updatesEnabled());
  f->Status("Away");
  EXPECT_EQ(f->lblStatus()->text(), "Away");
  // The LEDs out of sight wait for the window to come back, and show its last level then.
  const QRgb dark = f->ledbar()->LedColour(16);
  f->LedLevel(50, {20, 120, 65, 75});
  f->LedLevel(70.4, {20, 120, 65, 75});
  EXPECT_EQ(f->ledbar()->LedColour(16), dark);
  panel.resize(panel.width() + f->width() + 20, panel.height());
  f->FollowSight();
  EXPECT_TRUE(f->updatesEnabled());
  EXPECT_EQ(f->ledbar()->LedColour(16), qRgb(255, 255, 0));
  EXPECT_EQ(f->ledbar()->LedColour(17), qRgb(128, 0, 0));
  f->move(0, panel.height() + 1);
  EXPECT_FALSE(f->updatesEnabled());
  f->move(0, panel.height() - 5);
  EXPECT_TRUE(f->updatesEnabled());
}

TEST_F(FrameClientTest, InfoMenuAndStatus) {
  TFrameClient* f = Open("NG1", "Yard", "gps,4.1;core,2.0;broken", "MIC-7");
  EXPECT_EQ(f->TitleCaption(), "      Yard");
  EXPECT_EQ(f->menuitemType()->text(), "Type: Quietmark-SE");
  EXPECT_EQ(f->menuitemID()->text(), "ID: NG1");
  EXPECT_EQ(f->menuitemDeviceID()->text(), "Mic ID: MIC-7");
  EXPECT_TRUE(f->menuitemDeviceID()->isVisible());
  EXPECT_FALSE(f->menuitemSignal()->isVisible());
  f->SignalStrength(42);
  EXPECT_EQ(f->menuitemSignal()->text(), "Signal: 42/70");
  EXPECT_TRUE(f->menuitemSignal()->isVisible());
  QMenu* modules = nullptr;
  for (QAction* a : f->menuInfo()->actions())
    if (a->text() == "Modules") modules = a->menu();
  ASSERT_NE(modules, nullptr);
  QStringList captions;
  for (QAction* a : modules->actions()) {
    captions << a->text();
    EXPECT_FALSE(a->isEnabled());
  }
  EXPECT_EQ(captions, (QStringList{"GPS v4.1", "CORE v2.0"}));

  const auto light = [&] { return f->shapeStatus()->pixmap().toImage().pixelColor(3, 3); };
  EXPECT_EQ(light(), QColor(0, 255, 0));
  f->SetDownloading(true);
  EXPECT_EQ(f->lblStatus()->text(), "Downloading");
  EXPECT_TRUE(f->menuitemDownloading()->isVisible());
  EXPECT_EQ(light(), QColor(255, 255, 0));
  f->SetDownloading(false);
  EXPECT_EQ(f->lblStatus()->text(), "Connected");
  EXPECT_FALSE(f->menuitemDownloading()->isVisible());
  EXPECT_EQ(light(), QColor(0, 255, 0));

  // No device ID, no modules: no such items.
  TFrameClient* plain = Open("P2", "Plain");
  EXPECT_FALSE(plain->menuitemDeviceID()->isVisible());
  for (QAction* a : plain->menuInfo()->actions()) EXPECT_NE(a->text(), "Modules");
}

TEST_F(FrameClientTest, FolderThatCannotBeMadeGivesDefaults) {
  // A plain file where the monitor's folder should be.
  QFile blocker(cfg->DataPath() + "BLOCKED");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const int n = TFrameClient::CascadeCounter();
  TFrameClient* f = Open("BLOCKED");
  EXPECT_EQ(f->geometry(), QRect(10 * n, 8 * n, 200, 240));
  f->SetWinPos(0, 0);  // stores nothing and does not fail
  EXPECT_TRUE(QFileInfo(cfg->DataPath() + "BLOCKED").isFile());
}

TEST_F(FrameClientTest, LowWindowsHideTheReadOutAndTheLeftAxis) {
  StoreWin("T", 0, 0, 35200, 33000, 1);
  TFrameClient* f = Open("T");
  EXPECT_FALSE(f->panelLeq()->isHidden());
  EXPECT_TRUE(f->chartLeq1s()->LeftAxisVisible());
  EXPECT_EQ(f->chartLeq1s()->y(), LeqReadout::kHeight);
  f->SetWinSize(352, 179);
  EXPECT_TRUE(f->panelLeq()->isHidden());
  EXPECT_FALSE(f->chartLeq1s()->LeftAxisVisible());
  EXPECT_EQ(f->chartLeq1s()->y(), 0);
  f->SetWinSize(352, 180);
  EXPECT_FALSE(f->panelLeq()->isHidden());
}

TEST_F(FrameClientTest, LevelsReachTheLedBarOnlyOnceConnected) {
  auto* f = new TFrameClient(&panel, *cfg, ui);
  f->Init();
  f->LedLevel(70.4, {20, 120, 65, 75});  // before Connect: not shown
  EXPECT_EQ(f->ledbar()->nTrig1, 0);
  f->Connect(nullptr, "Quietmark-SE", "L", "Name", {}, {});
  panel.show();
  f->LedLevel(70.4, {20, 120, 65, 75});
  EXPECT_EQ(f->ledbar()->nMin, 20);
  EXPECT_EQ(f->ledbar()->nTrig2, 75);
  EXPECT_EQ(f->ledbar()->LedColour(16), qRgb(255, 255, 0));
  EXPECT_EQ(f->ledbar()->LedColour(17), qRgb(128, 0, 0));
  // The bar fills the black strip inside its 2-pixel padding.
  EXPECT_EQ(f->ledbar()->geometry(), f->panelLeds()->rect().adjusted(2, 2, -2, -2));
}

TEST_F(FrameClientTest, OneSecondValuesFillTheChartHalf) {
  cfg->SetReportPeriod(1);
  cfg->SetYAxisScale(yasRemote);
  TFrameClient* f = Open("C");
  EXPECT_EQ(f->panelLeq()->lblLeq()->text(), "---.-");
  f->UpdateLeqBuf("50.5,51,bad,52");
  f->Leq1s(63.44, {30, 110, 70, 80});
  EXPECT_EQ(f->panelLeq()->lblLeq()->text(), "63.4");
  EXPECT_EQ(f->lblChartPeriod()->text(), "← 1 minute →");
  const LevelChart& plot = f->Plot();
  ASSERT_EQ(plot.LeqSeries().size(), 61u);
  EXPECT_EQ(plot.LeqSeries()[56], 50.5);
  EXPECT_TRUE(std::isnan(plot.LeqSeries()[58]));
  EXPECT_EQ(plot.LeqSeries()[60], 63.44);
  EXPECT_EQ(plot.AxisMin(), 30);
  EXPECT_EQ(plot.AxisMax(), 110);
  EXPECT_EQ(plot.Thresh2().value, 80);
  f->Leq1s(190, {30, 110, 70, 80});
  EXPECT_EQ(f->panelLeq()->lblLeq()->text(), "---.-");
  // Turning the history off empties the buffer.
  cfg->SetHistory(false);
  f->ShowPanels();
  EXPECT_EQ(plot.PlotBuf()[3599], -1.0);
  EXPECT_TRUE(plot.LeqSeries().empty());
}

}  // namespace
