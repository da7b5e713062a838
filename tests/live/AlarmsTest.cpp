#include "../core/SupervisorFixture.h"
#include "AlertFakes.h"
#include "core/Clock.h"
#include "live/Alarms.h"
#include "live/TQmAlert.h"

#include <QRegularExpression>

namespace {

using qmtest::WaitFor;
using Lines = QList<QByteArray>;

class AlarmsTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    SupervisorFixture::SetUp();
    qmclock::SetSource([this] { return now; });
    alarms = std::make_unique<TAlarms>(*sup, nullptr);
    client.sID = "SE1";
    client.sName = "Yard";
    client.frame = &window;
  }
  void TearDown() override {
    alarms.reset();
    qmclock::SetSource({});
    SupervisorFixture::TearDown();
  }

  QDateTime now{QDate(2024, 3, 5), QTime(12, 0)};
  std::unique_ptr<TAlarms> alarms;
  TDTClient client;
  FakeWindow window;
};

TEST_F(AlarmsTest, ListEntriesAreAgesCountedStrictlyInsideThePeriod) {
  struct Case {
    int period;
    QString list;
    std::size_t entries;
    int count;
  } cases[] = {
      {15, "900", 1, 0},
      {15, "899", 1, 1},
      {60, "30;abc;4000", 3, 1},
      {60, "", 0, 0},
      {60, "0.5;3599.999;3600", 3, 2},
      // Unconvertible, empty, out of range and absurd entries never count.
      {60, ";1e400;1e15;-1e15;nan", 5, 0},
  };
  for (const auto& c : cases) {
    sup->Cfg().SetReportPeriod(c.period);
    client.adtAlarms.assign(5, now);  // replaced whole
    SetAlarms(client, c.list);
    EXPECT_EQ(client.adtAlarms.size(), c.entries) << c.list.toStdString();
    EXPECT_EQ(AlarmCount(client), c.count) << c.list.toStdString();
  }
  // The count shown waits for the timer.
  EXPECT_TRUE(window.calls.isEmpty());
}

TEST_F(AlarmsTest, LinesFromTheMonitorReachTheRecordAndTheTimerShowsTheCount) {
  sup->Cfg().SetReportPeriod(60);
  Lines after;
  auto c = Identify("cpse&SE7&Gate&wifi", &after, 3);
  ASSERT_TRUE(WaitFor([&] { return Record("SE7") && Record("SE7")->frame; }));
  auto* win = static_cast<FakeWindow*>(Record("SE7")->frame);

  c->Send("alarms&30;abc;4000\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.size() == 3; }));
  // The supervisor's one-second timer re-counts every monitor.
  EXPECT_TRUE(WaitFor([&] { return win->calls.contains("alarms 1"); }, 3000));

  c->Send("alarm\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.size() == 4; }));
  EXPECT_EQ(win->calls.mid(win->calls.lastIndexOf("alarms 2")),
            QStringList({"alarms 2", "newalarm"}));

  win->calls.clear();
  c->Send("alarms&\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.empty(); }));
  EXPECT_TRUE(WaitFor([&] { return win->calls.contains("alarms 0"); }, 3000));
  // Handled lines get no error reply.
  EXPECT_FALSE(c->ReadFor(200).contains("error"));
}

TEST_F(AlarmsTest, AlarmsAddUpAndAgeOutWhenThePeriodShrinks) {
  sup->Cfg().SetReportPeriod(60);
  EXPECT_TRUE(alarms->AlarmRx(client));
  EXPECT_TRUE(alarms->AlarmRx(client));
  ASSERT_EQ(client.adtAlarms.size(), 2u);
  EXPECT_EQ(client.adtAlarms[0], client.adtAlarms[1]);
  EXPECT_EQ(window.calls, QStringList({"alarms 1", "newalarm", "alarms 2", "newalarm"}));
  EXPECT_TRUE(AlarmCountChanged(client));
  EXPECT_FALSE(AlarmCountChanged(client));
  EXPECT_EQ(client.nLastAlmCount, 2);

  now = now.addSecs(5 * 60);
  alarms->timerAlarmsTimer();  // this record is not in the list: nothing changes
  EXPECT_EQ(AlarmCount(client), 2);
  sup->Cfg().SetReportPeriod(1);
  EXPECT_EQ(AlarmCount(client), 0);
  EXPECT_TRUE(AlarmCountChanged(client));

  // An alarm on a record without a window is still counted.
  TDTClient bare;
  alarms->AlarmRx(bare);
  EXPECT_EQ(AlarmCount(bare), 1);
}

TEST_F(AlarmsTest, BalloonOnlyWhileMinimisedWithTrayAndNotifications) {
  struct Case {
    bool minimised, tray, notify, balloon;
  } cases[] = {
      {true, true, true, true},
      {false, true, true, false},
      {true, false, true, false},
      {true, true, false, false},
  };
  for (const auto& c : cases) {
    ui.balloons.clear();
    sup->Runstat().bMinimised = c.minimised;
    sup->Cfg().SetSysTray(c.tray);
    sup->Cfg().SetNotify(c.notify);
    alarms->AlarmRx(client);
    EXPECT_EQ(ui.balloons, c.balloon ? QStringList{"Quietmark Alarm|Sound level too high - Yard"}
                                     : QStringList{})
        << c.minimised << c.tray << c.notify;
  }
}

TEST_F(AlarmsTest, AlarmIsOfferedToTheEmailAlertsOnlyWhenSwitchedOnWithAddresses) {
  auto sender = std::make_shared<FakeSender>();
  TQmAlert alert(sup->Cfg(), sender, std::make_unique<FakeAlertTimer>());
  alarms = std::make_unique<TAlarms>(*sup, &alert);

  sup->Cfg().SetAlertByEmail(false);
  sup->Cfg().SetAlertEmails("ops@example.org");
  alarms->AlarmRx(client);
  sup->Cfg().SetAlertByEmail(true);
  sup->Cfg().SetAlertEmails("");
  alarms->AlarmRx(client);
  EXPECT_FALSE(alert.Sending());
  EXPECT_FALSE(alert.Timer().IsActive());

  sup->Cfg().SetAlertEmails("ops@example.org");
  alarms->AlarmRx(client);
  ASSERT_TRUE(WaitFor([&] { return !alert.Sending(); }));
  ASSERT_EQ(sender->Mails().size(), 1u);
  EXPECT_EQ(sender->Mails()[0].lines,
            QStringList{"2024-03-05 12:00:00 Sound level too high - Yard / SE1"});
}

TEST_F(AlarmsTest, TimerTickRunsTheCaptionHook) {
  QStringList order;
  alarms->onTick = [&] { order << LogWindowCaption(); };
  window.calls.clear();
  alarms->timerAlarmsTimer();
  ASSERT_EQ(order.size(), 1);
  EXPECT_TRUE(
      QRegularExpression("^Quietmark Supervisor - [1-9][0-9]*k$").match(order[0]).hasMatch())
      << order[0].toStdString();
  EXPECT_GT(ProcessMemory(), 0);
}

TEST_F(AlarmsTest, DestroyedTrackerLeavesTheSupervisorHandlingLines) {
  alarms.reset();
  EXPECT_TRUE(sup->onAlarm(client, {"alarm"}));
  EXPECT_TRUE(client.adtAlarms.empty());
  EXPECT_FALSE(sup->onAlarmsTimer);
}

}  // namespace
