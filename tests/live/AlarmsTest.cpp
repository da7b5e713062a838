#include "AlertFakes.h"
#include "core/Clock.h"
#include "live/Alarms.h"
#include "live/TQmAlert.h"
#include "support/FakeLink.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using qmtest::WaitFor;

class AlarmsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qmclock::SetSource([this] { return now; });
    alarms = std::make_unique<TAlarms>(fake, nullptr);
    client.sID = "SE1";
    client.sName = "Yard";
    client.frame = &window;
  }
  void TearDown() override {
    alarms.reset();
    qmclock::SetSource({});
  }

  QDateTime now{QDate(2024, 3, 5), QTime(12, 0)};
  FakeLink fake;
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
    fake.Cfg().SetReportPeriod(c.period);
    client.adtAlarms.assign(5, now);  // replaced whole
    SetAlarms(client, c.list);
    EXPECT_EQ(client.adtAlarms.size(), c.entries) << c.list.toStdString();
    EXPECT_EQ(AlarmCount(client), c.count) << c.list.toStdString();
  }
  // The count shown waits for the timer.
  EXPECT_TRUE(window.calls.isEmpty());
}

TEST_F(AlarmsTest, AlarmsAddUpAndAgeOutWhenThePeriodShrinks) {
  fake.Cfg().SetReportPeriod(60);
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
  EXPECT_EQ(window.calls.size(), 4);
  EXPECT_EQ(AlarmCount(client), 2);
  fake.Cfg().SetReportPeriod(1);
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
    fake.ui.balloons.clear();
    fake.Runstat().bMinimised = c.minimised;
    fake.Cfg().SetSysTray(c.tray);
    fake.Cfg().SetNotify(c.notify);
    alarms->AlarmRx(client);
    EXPECT_EQ(fake.ui.balloons, c.balloon
                                    ? QStringList{"Quietmark Alarm|Sound level too high - Yard"}
                                    : QStringList{})
        << c.minimised << c.tray << c.notify;
  }
}

TEST_F(AlarmsTest, AlarmIsOfferedToTheEmailAlertsOnlyWhenSwitchedOnWithAddresses) {
  auto sender = std::make_shared<FakeSender>();
  TQmAlert alert(fake.Cfg(), sender, std::make_unique<FakeAlertTimer>());
  alarms = std::make_unique<TAlarms>(fake, &alert);

  fake.Cfg().SetAlertByEmail(false);
  fake.Cfg().SetAlertEmails("ops@example.org");
  alarms->AlarmRx(client);
  fake.Cfg().SetAlertByEmail(true);
  fake.Cfg().SetAlertEmails("");
  alarms->AlarmRx(client);
  EXPECT_FALSE(alert.Sending());
  EXPECT_FALSE(alert.Timer().IsActive());

  fake.Cfg().SetAlertEmails("ops@example.org");
  alarms->AlarmRx(client);
  ASSERT_TRUE(WaitFor([&] { return !alert.Sending(); }));
  ASSERT_EQ(sender->Mails().size(), 1u);
  EXPECT_EQ(sender->Mails()[0].lines,
            QStringList{"2024-03-05 12:00:00 Sound level too high - Yard / SE1"});
}

TEST_F(AlarmsTest, TimerRecountsEveryListedMonitorAndTheCaptionShowsTheMemory) {
  fake.Cfg().SetReportPeriod(60);
  TDTClient* listed = nullptr;
  {
    TClientListHold hold(fake.clients);
    listed = fake.clients.AddClient();
  }
  ASSERT_TRUE(listed);
  FakeWindow listedWindow;
  listed->frame = &listedWindow;
  SetAlarms(*listed, "30;4000");
  alarms->timerAlarmsTimer();
  EXPECT_EQ(listedWindow.calls, QStringList{"alarms 1"});
  listed->frame = nullptr;

  const QString caption = LogWindowCaption();
  EXPECT_TRUE(QRegularExpression("^Quietmark Supervisor - [1-9][0-9]*k$").match(caption).hasMatch())
      << caption.toStdString();
  EXPECT_GT(ProcessMemory(), 0);
}

}  // namespace
