#include "e2e/SupervisorProcess.h"
#include "support/SmtpServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using qmtest::Client;
using qmtest::SupervisorProcess;

bool WaitForMessages(const qmtest::SmtpServer& server, int count, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (server.Messages().size() < count && t.elapsed() < timeoutMs) QThread::msleep(100);
  return server.Messages().size() >= count;
}

TEST(AlarmAlert, AlarmIsMailedAtOnceAndTheNextOneWithTheFollowingMail) {
  qmtest::SmtpServer mail;
  ASSERT_TRUE(mail.Ready());
  SupervisorProcess sv;
  sv.Setting("alerts", "byemail", "1");
  sv.Setting("alerts", "email", "ops@example.org");
  sv.Setting("alerts", "from", "sv@example.org");
  sv.Setting("alerts", "smtphost", "127.0.0.1");
  sv.Setting("alerts", "smtpport", QString::number(mail.Port()));
  sv.Setting("alerts", "rate", "1");
  ASSERT_TRUE(sv.Start({}));

  Client monitor(sv.Port());
  monitor.ReadLines(1);
  monitor.Send("cpng&Yard-1&Yard&MIC-1&core,1.0\n");
  monitor.ReadLines(3);
  monitor.Send("alarm\n");
  ASSERT_TRUE(WaitForMessages(mail, 1, 10000));
  const QString first = mail.Messages()[0]["data"].toString();
  EXPECT_TRUE(first.contains("Subject: Quietmark Alert")) << first.toStdString();
  EXPECT_TRUE(first.contains("Sound level too high - Yard / Yard-1"));

  // Within the rate period the next alarm waits for the following e-mail.
  QElapsedTimer sinceFirst;
  sinceFirst.start();
  monitor.Send("alarm\n");
  QThread::sleep(3);
  EXPECT_EQ(mail.Messages().size(), 1);
  ASSERT_TRUE(WaitForMessages(mail, 2, 75000));
  EXPECT_GE(sinceFirst.elapsed(), 50000);
  EXPECT_TRUE(mail.Messages()[1]["data"].toString().contains("Sound level too high - Yard"));
  monitor.Close();
  EXPECT_EQ(sv.Stop(), 0);
  EXPECT_TRUE(sv.LastRun().contains("Alert sent to ops@example.org")) << sv.LastRun().toStdString();
}

}  // namespace
