#include "AlertFakes.h"
#include "live/TQmAlert.h"
#include "support/SupervisorFixture.h"

#include <QElapsedTimer>
#include <QThread>

#include <thread>

namespace {

using qmtest::WaitFor;

class QmAlertTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    SupervisorFixture::SetUp();
    qmclock::SetSource([this] { return now; });
    TCfg& cfg = sup->Cfg();
    cfg.SetAlertEmails("ops@example.org;night@example.org");
    cfg.SetAlertFrom("sv@example.org");
    cfg.SetSmtpHost("mail.example.org");
    cfg.SetSmtpPort(587);
    cfg.SetSmtpUser("sv");
    cfg.SetSmtpPwd("secret");
    cfg.SetSmtpSSL(true);
    cfg.SetAlertRate(10);
    auto t = std::make_unique<FakeAlertTimer>();
    timer = t.get();
    alert = std::make_unique<TQmAlert>(cfg, sender, std::move(t));
  }
  void TearDown() override {
    sender->Release();
    alert.reset();
    qmclock::SetSource({});
    SupervisorFixture::TearDown();
  }

  QDateTime At(int h, int m) const { return QDateTime(QDate(2024, 3, 5), QTime(h, m)); }
  void AdvanceTo(int h, int m) { timer->AdvanceTo(now, At(h, m)); }
  bool Idle() {
    return WaitFor([&] { return !alert->Sending(); });
  }
  int LogCount(const QString& text) const {
    int n = 0;
    for (const QString& l : sup->Log().Lines()) n += l.endsWith("> " + text);
    return n;
  }

  QDateTime now = At(12, 0);
  std::shared_ptr<FakeSender> sender = std::make_shared<FakeSender>();
  FakeAlertTimer* timer = nullptr;
  std::unique_ptr<TQmAlert> alert;
};

TEST_F(QmAlertTest, RateLimitCollectsAlarmsUntilTheIntervalIsUp) {
  EXPECT_TRUE(alert->SendAlert("A"));
  EXPECT_EQ(timer->Interval(), 600000);
  ASSERT_TRUE(Idle());
  AdvanceTo(12, 3);
  EXPECT_FALSE(alert->SendAlert("B"));
  AdvanceTo(12, 7);
  EXPECT_FALSE(alert->SendAlert("C"));
  EXPECT_EQ(sender->Mails().size(), 1u);
  AdvanceTo(12, 10);  // the tick mails both together
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(timer->IsActive());
  AdvanceTo(12, 25);  // a quiet interval stops the timer at 12:20
  EXPECT_FALSE(timer->IsActive());
  EXPECT_TRUE(alert->SendAlert("D"));
  ASSERT_TRUE(Idle());

  const auto mails = sender->Mails();
  ASSERT_EQ(mails.size(), 3u);
  EXPECT_EQ(mails[0].lines, QStringList{"2024-03-05 12:00:00 A"});
  EXPECT_EQ(mails[1].lines, QStringList({"2024-03-05 12:03:00 B", "2024-03-05 12:07:00 C"}));
  EXPECT_EQ(mails[2].lines, QStringList{"2024-03-05 12:25:00 D"});
  EXPECT_TRUE(
      WaitFor([&] { return LogCount("Alert sent to ops@example.org;night@example.org") == 3; }));
}

TEST_F(QmAlertTest, SendTakesTheSettingsAsTheyAreWhenItStarts) {
  alert->SendAlert("A");
  ASSERT_TRUE(Idle());
  sup->Cfg().SetSmtpHost("other.example.org");
  sup->Cfg().SetAlertRate(1);
  AdvanceTo(12, 5);
  alert->SendAlert("B");
  AdvanceTo(12, 10);  // the running timer keeps its ten minutes
  ASSERT_TRUE(Idle());
  const auto mails = sender->Mails();
  ASSERT_EQ(mails.size(), 2u);
  const TAlertMail& m = mails[0].mail;
  EXPECT_EQ(m.sHost, "mail.example.org");
  EXPECT_EQ(m.nPort, 587);
  EXPECT_EQ(m.sUser, "sv");
  EXPECT_EQ(m.sPwd, "secret");
  EXPECT_TRUE(m.bSSL);
  EXPECT_EQ(m.sFrom, "sv@example.org");
  EXPECT_EQ(m.sEmails, "ops@example.org;night@example.org");
  EXPECT_EQ(m.dtDate, At(12, 0));
  EXPECT_EQ(mails[1].mail.sHost, "other.example.org");
  EXPECT_EQ(timer->Interval(), 600000);
}

TEST_F(QmAlertTest, AlarmDuringARunningSendIsDroppedForGood) {
  sender->hold = true;
  EXPECT_TRUE(alert->SendAlert("A"));
  ASSERT_TRUE(WaitFor([&] { return sender->Mails().size() == 1; }));
  AdvanceTo(12, 1);
  EXPECT_FALSE(alert->SendAlert("B"));
  EXPECT_FALSE(alert->MsgToSend());
  alert->ResetTimer();  // does nothing while sending
  EXPECT_TRUE(timer->IsActive());
  sender->Release();
  ASSERT_TRUE(Idle());
  AdvanceTo(12, 10);
  EXPECT_FALSE(timer->IsActive());
  EXPECT_FALSE(alert->Sending());
  EXPECT_EQ(sender->Mails().size(), 1u);
}

TEST_F(QmAlertTest, ResetBeforeATestMessageSendsItAtOnceAlone) {
  alert->SendAlert("A");
  ASSERT_TRUE(Idle());
  AdvanceTo(12, 2);
  EXPECT_FALSE(alert->SendAlert("B"));
  EXPECT_TRUE(alert->MsgToSend());
  alert->ResetTimer();
  EXPECT_FALSE(timer->IsActive());
  EXPECT_FALSE(alert->MsgToSend());
  EXPECT_TRUE(alert->SendAlert("Test message from Quietmark Supervisor"));
  ASSERT_TRUE(Idle());
  const auto mails = sender->Mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[1].lines,
            QStringList{"2024-03-05 12:02:00 Test message from Quietmark Supervisor"});
}

TEST_F(QmAlertTest, EachOutcomeHasItsLogLine) {
  struct Case {
    TSendOutcome outcome;
    bool fail;
    QString line;
  } cases[] = {
      {{TSendResult::Sent, {}}, false, "Alert sent to ops@example.org;night@example.org"},
      {{TSendResult::ConnectFailed, "refused"}, false, "Failed to connect to mail server"},
      {{TSendResult::SendFailed, "login denied"},
       false,
       "Failed to send alert email to ops@example.org;night@example.org"},
      {{}, true, "Exception sending alert email to ops@example.org;night@example.org"},
  };
  for (const auto& c : cases) {
    sender->outcome = c.outcome;
    sender->fail = c.fail;
    alert->ResetTimer();
    EXPECT_TRUE(alert->SendAlert("A"));
    // The thread waits until its line is written, so it is there once the send is over.
    ASSERT_TRUE(Idle());
    EXPECT_EQ(LogCount(c.line), 1) << c.line.toStdString();
  }
}

TEST_F(QmAlertTest, RateOutsideTheTimersRangeIsClamped) {
  for (const auto& [rate, ms] :
       {std::pair{0, 60000}, {-5, 60000}, {1, 60000}, {60, 3600000}, {1000000, 35791 * 60000}}) {
    sup->Cfg().SetAlertRate(rate);
    alert->ResetTimer();
    alert->SendAlert("A");
    ASSERT_TRUE(Idle());
    EXPECT_EQ(timer->Interval(), ms) << rate;
  }
}

TEST_F(QmAlertTest, EndOfProgramWaitsBrieflyThenLeavesAStuckSend) {
  sender->hold = true;
  sender->honourAbort = false;  // a send that ignores being told to stop
  EXPECT_TRUE(alert->SendAlert("A"));
  ASSERT_TRUE(WaitFor([&] { return sender->Mails().size() == 1; }));
  QElapsedTimer elapsed;
  elapsed.start();
  alert->Finish(300);
  EXPECT_LT(elapsed.elapsed(), 3000);
  EXPECT_FALSE(alert->SendAlert("B"));
  alert.reset();
  // The thread ends after its owner is gone without touching it.
  sender->Release();
  QThread::msleep(200);
  EXPECT_EQ(LogCount("Alert sent to ops@example.org;night@example.org"), 0);
}

TEST_F(QmAlertTest, EndOfProgramWritesTheLogOfASendThatEndsInTime) {
  sender->hold = true;
  sender->honourAbort = true;
  EXPECT_TRUE(alert->SendAlert("A"));
  ASSERT_TRUE(WaitFor([&] { return sender->Mails().size() == 1; }));
  std::thread releaser([&] {
    QThread::msleep(100);
    sender->Release();
  });
  alert->Finish(3000);  // no event loop runs meanwhile
  releaser.join();
  EXPECT_FALSE(alert->Sending());
  EXPECT_EQ(LogCount("Alert sent to ops@example.org;night@example.org"), 1);
}

}  // namespace
