#include "core/EventLog.h"
#include "dialogs/RemoteMonitor.h"
#include "dialogs/TformCfgDt.h"
#include "dialogs/TimeZones.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qmcfgdt;

namespace {

// The monitor side: records what the dialog sends; `present` false once the record has gone.
class FakeMonitor : public IRemoteMonitor {
 public:
  bool Send(const TCtx& ctx, const QString& line) override {
    if (!present) return false;
    sent << QString::number(ctx ? ctx->Number() : 0) + " " + line;
    return true;
  }
  void Disconnect(const TCtx& ctx) override {
    if (present) disconnected << QString::number(ctx->Number());
  }
  bool present = true;
  QStringList sent, disconnected;
};

class TformCfgDtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mine = std::make_shared<TCnx>(asio::ip::tcp::socket(io), 7);
    other = std::make_shared<TCnx>(asio::ip::tcp::socket(io), 8);
    dlg.reset();  // the one before goes first, so the new one is the open dialog
    dlg = std::make_unique<TformCfgDt>(nullptr, monitor);
    ASSERT_EQ(TformCfgDt::Current(), dlg.get());
    dlg->showError = [this](const QString& t) { boxes << "error " + t; };
    dlg->showInfo = [this](const QString& t) {
      boxes << "info " + t;
      disconnectedAtInfo = monitor.disconnected.size();
    };
    dlg->confirm = [this](const QString& t) {
      boxes << "confirm " + t;
      return answerYes;
    };
    dlg->GettingSettings(mine);
    dlg->show();
  }

  void Reply(const QString& type, const QString& id, const QString& fields,
             const TCtx* from = nullptr) {
    dlg->ShowSettings(from ? *from : mine, type, id, ("getsettings&" + fields).split('&'));
  }
  QString Status() const { return dlg->lblBitteWarten()->text(); }
  bool Showing() const { return dlg->panelSettings()->isVisible(); }
  QString Label(TBar b) const { return dlg->barLabel(b)->text(); }
  int Pos(TBar b) const { return dlg->trackbar(b)->value(); }
  void PickZone(const QString& path) {
    QTreeWidgetItemIterator it(dlg->treeZones());
    for (; *it; ++it)
      if (qmzones::ZonePath((*it)->data(0, Qt::UserRole).toInt()) == path) {
        dlg->treeZones()->setCurrentItem(*it);
        return;
      }
    FAIL() << path.toStdString();
  }
  // The "setsettings" reply, as the dispatcher hands it over, then its delivery.
  void SetReply(bool ok, const TCtx* from = nullptr) {
    TformCfgDt::SetSettingsReply(from ? *from : mine, ok);
    QCoreApplication::processEvents();
  }

  asio::io_context io;
  TCtx mine, other;
  FakeMonitor monitor;
  std::unique_ptr<TformCfgDt> dlg;
  QStringList boxes;
  bool answerYes = true;
  qsizetype disconnectedAtInfo = -1;
};

const QString kSeReply =
    "name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110&tz=Europe/London&rsm=0";

TEST_F(TformCfgDtTest, WaitsAndTimesOutButStillTakesALateReply) {
  EXPECT_EQ(Status(), "Getting current settings...");
  EXPECT_FALSE(Showing());
  EXPECT_FALSE(dlg->btnOK()->isEnabled());
  EXPECT_TRUE(dlg->timerTimeout().isActive());
  EXPECT_EQ(dlg->timerTimeout().interval(), 3000);
  EXPECT_TRUE(dlg->btnReboot()->isEnabled());

  dlg->timerTimeoutTimer();
  EXPECT_EQ(Status(), "Error: Failed to get current settings");
  EXPECT_FALSE(Showing());
  EXPECT_FALSE(dlg->btnOK()->isEnabled());

  Reply("Quietmark-SE", "SE-1", kSeReply, &other);  // another monitor's: ignored
  EXPECT_FALSE(Showing());
  EXPECT_EQ(dlg->ID(), "");

  Reply("Quietmark-SE", "SE-1", kSeReply);
  EXPECT_TRUE(Showing());
  EXPECT_TRUE(dlg->btnOK()->isEnabled());
  EXPECT_FALSE(dlg->lblBitteWarten()->isVisible());
  EXPECT_EQ(dlg->editName()->text(), "Hall");
  EXPECT_EQ(Label(barSETrig1), "55 dB");
  EXPECT_EQ(Label(barSEAlmTime), "3 seconds");
  EXPECT_EQ(dlg->lblCurrentTz()->text(), "Europe/London");
  EXPECT_EQ(dlg->lblNewTz()->text(), "No change");
  EXPECT_EQ(dlg->tabs()->currentWidget(), dlg->tab(tabLevels));
  EXPECT_TRUE(dlg->tabs()->isTabVisible(tabTimeZone));
  EXPECT_TRUE(dlg->tabs()->isTabVisible(tabRemoteSupport));
  EXPECT_FALSE(dlg->tabs()->isTabVisible(tabStandard));
  EXPECT_EQ(dlg->btnReboot()->text(), "Reboot");
}

TEST_F(TformCfgDtTest, ReplyStopsTheTimeOut) {
  Reply("Quietmark-NG", "NG-1", "name=A");
  EXPECT_FALSE(dlg->timerTimeout().isActive());
  EXPECT_EQ(dlg->btnReboot()->text(), "Shutdown");
  EXPECT_FALSE(dlg->tabs()->isTabVisible(tabTimeZone));
}

TEST_F(TformCfgDtTest, UntranslatableReplyKeepsThePanelHidden) {
  Reply("Calmpoint-DT", "DT-1", "name=A&trigrel1=loud");
  EXPECT_EQ(Status(), "Error: failed to translate remote settings");
  EXPECT_FALSE(Showing());
  EXPECT_FALSE(dlg->btnOK()->isEnabled());
  EXPECT_FALSE(dlg->timerTimeout().isActive());
  // The button names what it would send.
  EXPECT_EQ(dlg->btnReboot()->text(), "Shutdown");
}

TEST_F(TformCfgDtTest, CalmpointTabsAndSlider) {
  Reply("Calmpoint-DT", "DT-1", "name=A&trigrel1=19&trigrel2=25&almsecs=1&notify=yes");
  EXPECT_EQ(dlg->tabs()->currentWidget(), dlg->tab(tabAdvanced));
  EXPECT_FALSE(dlg->chkNotify()->isChecked());
  EXPECT_EQ(Label(barTrig1), "19 dB");
  EXPECT_EQ(Label(barAlarm), "1 second");
  EXPECT_EQ(Pos(barSens), 1);
  dlg->tabs()->setCurrentWidget(dlg->tab(tabStandard));  // as a click on the tab
  EXPECT_EQ(Pos(barSens), 5);
  EXPECT_EQ(Pos(barTrig1), 18);
  EXPECT_EQ(Pos(barTrig2), 25);
  EXPECT_EQ(Pos(barAlarm), 1);
  dlg->trackbar(barSens)->setValue(9);  // as a drag
  EXPECT_EQ(Pos(barTrig1), 30);
  EXPECT_EQ(Pos(barTrig2), 40);
  EXPECT_EQ(Label(barAlarm), "3 seconds");
  // Dragging red below yellow pulls yellow down.
  dlg->trackbar(barTrig2)->setValue(12);
  EXPECT_EQ(Pos(barTrig1), 12);
  EXPECT_EQ(dlg->GetSensitivity(), -1);
  dlg->chkNotify()->setChecked(true);
  dlg->btnOKClick();
  EXPECT_EQ(monitor.sent.last(), "7 setsettings&name=A&trigrel1=12&trigrel2=12&almsecs=3&notify=1");
}

TEST_F(TformCfgDtTest, CalmpointPresetOpensOnStandard) {
  Reply("Calmpoint-DT", "DT-1", "trigrel1=18&trigrel2=25&almsecs=1&notify=1");
  EXPECT_EQ(dlg->tabs()->currentWidget(), dlg->tab(tabStandard));
  EXPECT_EQ(Pos(barSens), 5);
  EXPECT_TRUE(dlg->chkNotify()->isChecked());
  EXPECT_TRUE(dlg->tabs()->isTabVisible(tabAdvanced));
  EXPECT_FALSE(dlg->tabs()->isTabVisible(tabLevels));
}

TEST_F(TformCfgDtTest, ZonePicksAndTheLineSent) {
  struct Case {
    const char* pick;
    const char* shown;
    const char* tail;
  };
  const Case cases[] = {
      {nullptr, "No change", "&rsm=1"},
      {"Europe", "No change", "&rsm=1"},
      {"Europe/London", "Europe/London", "&rsm=1"},
      {"America/Argentina/Cordoba", "America/Argentina/Cordoba",
       "&rsm=1&tz=America/Argentina/Cordoba"},
  };
  for (const Case& c : cases) {
    SetUp();
    Reply("Quietmark-SE", "SE-1", kSeReply);
    if (c.pick) PickZone(c.pick);
    EXPECT_EQ(dlg->lblNewTz()->text(), c.shown);
    dlg->chkRsm()->setChecked(true);
    dlg->btnOKClick();
    ASSERT_FALSE(monitor.sent.isEmpty());
    EXPECT_EQ(monitor.sent.last(),
              QString("7 setsettings&name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110") +
                  c.tail)
        << (c.pick ? c.pick : "no pick");
    EXPECT_EQ(Status(), "Sending new settings...");
    EXPECT_FALSE(Showing());
    EXPECT_FALSE(dlg->btnOK()->isEnabled());
    EXPECT_FALSE(dlg->timerTimeout().isActive()) << "no time-out while sending";
  }
}

TEST_F(TformCfgDtTest, QuietmarkNgNeverSendsZoneOrRemoteSupport) {
  Reply("Quietmark-NG", "NG-1", kSeReply);
  EXPECT_TRUE(dlg->tabs()->isTabVisible(tabTimeZone));
  PickZone("Europe/Paris");
  dlg->chkRsm()->setChecked(true);
  dlg->btnOKClick();
  EXPECT_EQ(monitor.sent.last(),
            "7 setsettings&name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110");
}

TEST_F(TformCfgDtTest, NameLimitAndCheck) {
  Reply("Quietmark-SE", "SE-1", "name=");
  dlg->editName()->setFocus();
  QTest::keyClicks(dlg->editName(), QString(16, 'x'));
  EXPECT_EQ(dlg->editName()->text(), QString(16, 'x'));
  QTest::keyClicks(dlg->editName(), "y");
  EXPECT_EQ(dlg->editName()->text(), QString(16, 'x')) << "no 17th typed character";
  QTest::keyClick(dlg->editName(), Qt::Key_Backspace);
  QTest::keyClicks(dlg->editName(), "&");
  dlg->btnOKClick();
  EXPECT_EQ(boxes, QStringList{"error Invalid \"&\" in Client Name"});
  EXPECT_TRUE(Showing()) << "the dialog stays as it is";
  QTest::keyClick(dlg->editName(), Qt::Key_Backspace);
  QTest::keyClicks(dlg->editName(), "=");
  dlg->btnOKClick();
  EXPECT_EQ(boxes.size(), 2);
  EXPECT_EQ(monitor.sent, QStringList());

  // A longer name from a reply is shown and sent back whole.
  const QString longName = "A name of twenty-six chars";
  Reply("Quietmark-SE", "SE-1", "name=" + longName);
  EXPECT_EQ(dlg->editName()->text(), longName);
  dlg->editName()->end(false);
  QTest::keyClicks(dlg->editName(), "!");
  EXPECT_EQ(dlg->editName()->text(), longName);
  dlg->btnOKClick();
  EXPECT_TRUE(monitor.sent.last().startsWith("7 setsettings&name=" + longName + "&trig1="));
}

TEST_F(TformCfgDtTest, CompletionUnchangedNameClosesWithoutDisconnecting) {
  Reply("Quietmark-SE", "SE-1", kSeReply);
  SetReply(true);  // nobody is waiting for it yet
  EXPECT_TRUE(dlg->isVisible());
  dlg->btnOKClick();
  SetReply(true, &other);  // another monitor's answer
  EXPECT_TRUE(dlg->isVisible());
  SetReply(true);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(monitor.disconnected, QStringList());
  EXPECT_EQ(boxes, QStringList());
}

TEST_F(TformCfgDtTest, CompletionChangedNameDisconnectsAfterTheMessage) {
  Reply("Calmpoint-DT", "DT-1", "name=Old&trigrel1=18&trigrel2=25&almsecs=1");
  dlg->editName()->selectAll();
  QTest::keyClicks(dlg->editName(), "New");
  dlg->btnOKClick();
  EXPECT_EQ(monitor.sent.last(),
            "7 setsettings&name=New&trigrel1=18&trigrel2=25&almsecs=1&notify=0");
  SetReply(true);
  EXPECT_EQ(boxes, QStringList{"info Reconnecting due to name change"});
  EXPECT_EQ(disconnectedAtInfo, 0) << "the connection closes after the message";
  EXPECT_EQ(monitor.disconnected, QStringList{"7"});
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(TformCfgDtTest, RefusedSettingsLeaveTheDialogOpen) {
  Reply("Quietmark-SE", "SE-1", kSeReply);
  dlg->btnOKClick();
  SetReply(false);
  EXPECT_EQ(Status(), "Failed to send new settings");
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(Showing());
  EXPECT_FALSE(dlg->btnOK()->isEnabled());
  QTest::mouseClick(dlg->btnCancel(), Qt::LeftButton);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(TformCfgDtTest, RebootOrShutdownByType) {
  struct Case {
    const char* type;  // nullptr: before any reply
    const char* command;
  };
  const Case cases[] = {{nullptr, "reboot"},
                        {"Quietmark-SE", "reboot"},
                        {"Calmpoint-DT", "shutdown"},
                        {"Quietmark-NG", "shutdown"}};
  for (const Case& c : cases) {
    SetUp();
    boxes.clear();
    monitor.sent.clear();
    if (c.type) Reply(c.type, "M-1", "name=Hall");
    answerYes = false;
    QTest::mouseClick(dlg->btnReboot(), Qt::LeftButton);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(monitor.sent, QStringList());
    answerYes = true;
    QTest::mouseClick(dlg->btnReboot(), Qt::LeftButton);
    const QString who = c.type ? "M-1 / Hall?" : " / ?";
    EXPECT_EQ(boxes.last(),
              QString("confirm Send %1 command to Quietmark Monitor\n").arg(c.command) + who);
    EXPECT_EQ(monitor.sent, QStringList{QString("7 ") + c.command});
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
  }
}

TEST_F(TformCfgDtTest, AfterTheMonitorHasGoneNothingIsSent) {
  Reply("Quietmark-SE", "SE-1", kSeReply);
  monitor.present = false;
  dlg->btnOKClick();
  EXPECT_EQ(Status(), "Failed to send new settings");
  dlg->timerTimeoutTimer();  // a stray time-out touches nothing
  QTest::mouseClick(dlg->btnReboot(), Qt::LeftButton);
  EXPECT_EQ(monitor.sent, QStringList());
  EXPECT_EQ(monitor.disconnected, QStringList());
  EXPECT_FALSE(dlg->isVisible());
}

// Open: the whole opening in order, the one global reference while open, gone afterwards.
TEST(TformCfgDtOpen, OpensModallyOnceAndIsGoneAfterwards) {
  asio::io_context io;
  const TCtx ctx = std::make_shared<TCnx>(asio::ip::tcp::socket(io), 3);
  FakeMonitor monitor;
  QPointer<TformCfgDt> seen;
  QString title, status;
  int secondOpen = -1;
  QTimer::singleShot(50, [&] {
    seen = TformCfgDt::Current();
    if (!seen) return;
    title = seen->windowTitle();
    status = seen->lblBitteWarten()->text();
    secondOpen = TformCfgDt::Open(nullptr, monitor, ctx, "B", "B");
    TformCfgDt::GetSettingsReply(ctx, "Quietmark-SE", "SE-9",
                                 QString("getsettings&name=X").split('&'));
    seen->btnOKClick();
    TformCfgDt::SetSettingsReply(ctx, true);
  });
  EXPECT_EQ(TformCfgDt::Open(nullptr, monitor, ctx, "SE-9", "Hall 9"), QDialog::Accepted);
  EXPECT_EQ(title, "Settings for Hall 9");
  EXPECT_EQ(status, "Getting current settings...");
  EXPECT_EQ(secondOpen, QDialog::Rejected);
  EXPECT_EQ(monitor.sent, QStringList({"3 getsettings",
                                       "3 setsettings&name=X&trig1=20&trig2=20&trigtime=0&"
                                       "ledmin=10&ledmax=20&rsm=0"}));
  EXPECT_TRUE(seen.isNull());
  EXPECT_EQ(TformCfgDt::Current(), nullptr);
  // With no dialog open the replies go nowhere, harmlessly.
  TformCfgDt::GetSettingsReply(ctx, "Quietmark-SE", "SE-9", {"getsettings", "name=X"});
  TformCfgDt::SetSettingsReply(ctx, true);
}

}  // namespace
