// The remote settings dialog in the running program against simulated monitors (qmsim) on
// loopback, driven through the monitor window's "Settings..." item.
#include "dialogs/TformCfgDt.h"
#include "dialogs/TimeZones.h"
#include "display/TFrameClient.h"
#include "display/TformMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace qmcfgdt;
using qmtest::WaitFor;

namespace {

class RemoteSettingsSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, {});
    main = std::make_unique<TformMain>(TSupervisor::Options{{"test"}, env, false});
    main->resize(1000, 700);
    main->show();
    ASSERT_TRUE(WaitFor([&] { return main->Supervisor().Server()->BoundPort() != 0; }));
  }
  void TearDown() override {
    if (sim.state() != QProcess::NotRunning) {
      sim.terminate();
      sim.waitForFinished(3000);
    }
    main.reset();
  }

  // One simulated monitor of the type, on loopback only.
  void StartSim(const QString& type, const QStringList& extra = {}) {
    QStringList args = {"--host",
                        "127.0.0.1",
                        "--port",
                        QString::number(main->Supervisor().Server()->BoundPort()),
                        "--type",
                        type,
                        "--count",
                        "1",
                        "--no-discovery",
                        "--reconnect-delay",
                        "1",
                        "--reboot-delay",
                        "1"};
    sim.start(QStringLiteral(QMSV_BINARY_DIR "/qmsim"), args + extra);
    ASSERT_TRUE(sim.waitForStarted(5000));
  }
  TFrameClient* Frame(const QString& id) {
    for (TFrameClient* f : main->Frames())
      if (f->ID() == id) return f;
    return nullptr;
  }
  QStringList TableNames() {
    QStringList names;
    QTableWidget* grid = main->gridClients();
    for (int r = 0; r < grid->rowCount(); ++r)
      names << (grid->item(r, 0) ? grid->item(r, 0)->text() : QString());
    return names;
  }

  bool LogHas(const QString& text) {
    for (const QString& l : main->Supervisor().Log().Lines())
      if (l.contains(text)) return true;
    return false;
  }

  // Chooses "Settings..." on the monitor's window and runs `body` while the modal dialog is
  // open and has its settings; whatever body leaves open is cancelled.
  void WithDialog(const QString& id, const std::function<void(TformCfgDt&)>& body,
                  bool waitForSettings = true) {
    TFrameClient* frame = Frame(id);
    ASSERT_NE(frame, nullptr) << id.toStdString();
    bool ran = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      TformCfgDt* d = TformCfgDt::Current();
      if (!d || ran) return;
      ran = true;
      poll.stop();
      d->showInfo = [this](const QString& t) { boxes << t; };
      d->confirm = [this](const QString& t) {
        boxes << t;
        return true;
      };
      if (!waitForSettings || WaitFor([d] { return d->btnOK()->isEnabled(); }, 5000))
        body(*d);
      else
        ADD_FAILURE() << "no settings from " << id.toStdString();
      if (TformCfgDt::Current() == d && d->isVisible()) d->reject();
    });
    poll.start(20);
    frame->menuitemCfg()->trigger();
    EXPECT_TRUE(WaitFor([&] { return ran && TformCfgDt::Current() == nullptr; }, 15000));
  }
  void PickZone(TformCfgDt& d, const QString& path) {
    QTreeWidgetItemIterator it(d.treeZones());
    for (; *it; ++it)
      if (qmzones::ZonePath((*it)->data(0, Qt::UserRole).toInt()) == path) {
        d.treeZones()->scrollToItem(*it);
        d.treeZones()->setCurrentItem(*it);
        return;
      }
    ADD_FAILURE() << path.toStdString();
  }
  // With QMSV_SHOT_DIR set (under xvfb-run), a picture of the whole screen.
  static void Shot(QWidget& w, const QString& name) {
    const QString folder = qEnvironmentVariable("QMSV_SHOT_DIR");
    if (folder.isEmpty()) return;
    w.raise();
    w.activateWindow();
    WaitFor([] { return false; }, 500);  // painted
    QProcess::execute("import", {"-window", "root", folder + "/" + name});
  }

  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TformMain> main;
  QProcess sim;
  QStringList boxes;
};

TEST_F(RemoteSettingsSimTest, CalmpointSettingsChangedAndShutdown) {
  StartSim("dt", {"--id-prefix", "DT-"});
  ASSERT_TRUE(WaitFor([&] { return Frame("DT-001") != nullptr; }, 8000));
  WithDialog("DT-001", [&](TformCfgDt& d) {
    EXPECT_EQ(d.windowTitle(), "Settings for DT-001");
    EXPECT_EQ(d.editName()->text(), "Sim DT DT-001");
    // 10/16/1 is preset 2: the Standard tab with the slider there.
    EXPECT_EQ(d.tabs()->currentWidget(), d.tab(tabStandard));
    EXPECT_EQ(d.trackbar(barSens)->value(), 2);
    EXPECT_TRUE(d.chkNotify()->isChecked());
    EXPECT_EQ(d.btnReboot()->text(), "Shutdown");
    Shot(d, "remote-settings-dt-standard.png");
    d.trackbar(barSens)->setValue(9);
    d.chkNotify()->setChecked(false);
    QTest::mouseClick(d.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !d.isVisible(); }));
    EXPECT_EQ(d.result(), QDialog::Accepted);
  });
  EXPECT_EQ(boxes, QStringList()) << "the name did not change";
  WithDialog("DT-001", [&](TformCfgDt& d) {
    EXPECT_EQ(d.trackbar(barSens)->value(), 9);
    EXPECT_EQ(d.trackbar(barTrig1)->value(), 30);
    EXPECT_EQ(d.trackbar(barTrig2)->value(), 40);
    EXPECT_EQ(d.trackbar(barAlarm)->value(), 3);
    EXPECT_FALSE(d.chkNotify()->isChecked());
    QTest::mouseClick(d.btnReboot(), Qt::LeftButton);
  });
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0], "Send shutdown command to Quietmark Monitor\nDT-001 / Sim DT DT-001?");
  EXPECT_TRUE(LogHas("> DT-001: Sending shutdown request"));
  EXPECT_TRUE(WaitFor([&] { return Frame("DT-001") == nullptr; }));
  // Gone for good: not back after its reconnect delay.
  WaitFor([] { return false; }, 2500);
  EXPECT_EQ(Frame("DT-001"), nullptr);
}

TEST_F(RemoteSettingsSimTest, QuietmarkSeRenamedZoneChangedAndRebooted) {
  StartSim("se", {"--id-prefix", "SE-"});
  ASSERT_TRUE(WaitFor([&] { return Frame("SE-001") != nullptr; }, 8000));
  WithDialog("SE-001", [&](TformCfgDt& d) {
    EXPECT_EQ(d.editName()->text(), "Sim SE SE-001");
    EXPECT_EQ(d.tabs()->currentWidget(), d.tab(tabLevels));
    EXPECT_EQ(d.barLabel(barSEMin)->text(), "30 dB");
    EXPECT_EQ(d.barLabel(barSEMax)->text(), "110 dB");
    EXPECT_EQ(d.lblCurrentTz()->text(), "Europe/London");
    EXPECT_EQ(d.btnReboot()->text(), "Reboot");
    Shot(d, "remote-settings-se-levels.png");
    d.tabs()->setCurrentWidget(d.tab(tabTimeZone));
    PickZone(d, "Europe/Paris");
    EXPECT_EQ(d.lblNewTz()->text(), "Europe/Paris");
    Shot(d, "remote-settings-se-timezone.png");
    d.trackbar(barSETrig2)->setValue(90);
    d.trackbar(barSEAlmTime)->setValue(7);
    d.editName()->setText("Hall SE");
    emit d.editName()->textEdited("Hall SE");
    QTest::mouseClick(d.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !d.isVisible(); }));
    EXPECT_EQ(d.result(), QDialog::Accepted);
  });
  EXPECT_EQ(boxes, QStringList{"Reconnecting due to name change"});
  // Back under its new name: window title and table follow.
  ASSERT_TRUE(WaitFor(
      [&] { return Frame("SE-001") && Frame("SE-001")->TitleCaption().contains("Hall SE"); },
      8000));
  EXPECT_TRUE(WaitFor([&] { return TableNames().contains("Hall SE"); }))
      << TableNames().join('|').toStdString();
  WithDialog("SE-001", [&](TformCfgDt& d) {
    EXPECT_EQ(d.windowTitle(), "Settings for Hall SE");
    EXPECT_EQ(d.lblCurrentTz()->text(), "Europe/Paris");
    EXPECT_EQ(d.trackbar(barSETrig2)->value(), 90);
    EXPECT_EQ(d.trackbar(barSEAlmTime)->value(), 7);
    QTest::mouseClick(d.btnReboot(), Qt::LeftButton);
  });
  EXPECT_EQ(boxes.last(), "Send reboot command to Quietmark Monitor\nSE-001 / Hall SE?");
  EXPECT_TRUE(LogHas("> SE-001: Sending reboot request"));
  EXPECT_TRUE(WaitFor([&] { return Frame("SE-001") == nullptr; }));
  EXPECT_TRUE(WaitFor([&] { return Frame("SE-001") != nullptr; }, 8000)) << "back after reboot";
}

TEST_F(RemoteSettingsSimTest, ClosingTheProgramClosesTheDialog) {
  StartSim("se", {"--id-prefix", "SE-"});
  ASSERT_TRUE(WaitFor([&] { return Frame("SE-001") != nullptr; }, 8000));
  bool closedWithIt = false;
  WithDialog("SE-001", [&](TformCfgDt& d) {
    main->close();  // as Exit and SIGTERM do
    closedWithIt = !d.isVisible() && d.result() == QDialog::Rejected;
  });
  EXPECT_TRUE(closedWithIt);
  EXPECT_FALSE(main->isVisible());
}

TEST_F(RemoteSettingsSimTest, QuietmarkNgChangedThenRefused) {
  StartSim("ng", {"--id-prefix", "NG-"});
  ASSERT_TRUE(WaitFor([&] { return Frame("NG-001") != nullptr; }, 8000));
  WithDialog("NG-001", [&](TformCfgDt& d) {
    EXPECT_FALSE(d.tabs()->isTabVisible(tabTimeZone));
    EXPECT_EQ(d.btnReboot()->text(), "Shutdown");
    d.trackbar(barSEMin)->setValue(40);
    d.trackbar(barSEMax)->setValue(45);  // pulls the minimum down to 35
    QTest::mouseClick(d.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !d.isVisible(); }));
  });
  WithDialog("NG-001", [&](TformCfgDt& d) {
    EXPECT_EQ(d.trackbar(barSEMin)->value(), 35);
    EXPECT_EQ(d.trackbar(barSEMax)->value(), 45);
  });
  sim.terminate();
  sim.waitForFinished(3000);
  ASSERT_TRUE(WaitFor([&] { return Frame("NG-001") == nullptr; }));
  StartSim("ng", {"--id-prefix", "NG-", "--refuse-settings"});
  ASSERT_TRUE(WaitFor([&] { return Frame("NG-001") != nullptr; }, 8000));
  WithDialog("NG-001", [&](TformCfgDt& d) {
    QTest::mouseClick(d.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(
        WaitFor([&] { return d.lblBitteWarten()->text() == "Failed to send new settings"; }));
    EXPECT_TRUE(d.isVisible());
    QTest::mouseClick(d.btnCancel(), Qt::LeftButton);
  });
}

}  // namespace
