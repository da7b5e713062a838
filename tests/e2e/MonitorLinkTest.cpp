#include "e2e/SupervisorProcess.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using qmtest::Client;
using qmtest::ReadText;
using qmtest::SupervisorProcess;
using Lines = QList<QByteArray>;

TEST(MonitorLink, HandshakeOnTheWireAndOnDisk) {
  SupervisorProcess sv;
  sv.Setting("clock", "sync", "1");
  sv.Setting("network", "history", "0");
  ASSERT_TRUE(sv.Start());
  Client se(sv.Port());
  EXPECT_EQ(se.ReadLines(1), Lines{"cnx"});
  se.Send("cpse&SE-7&North Gate&MIC-1&wifi\r\n");
  const Lines after = se.ReadLines(7);
  ASSERT_EQ(after.size(), 7);
  const QRegularExpression clock(R"(^setclk&\d{4}-\d\d-\d\d&\d\d:\d\d:\d\d$)");
  EXPECT_TRUE(clock.match(QString::fromLatin1(after[0])).hasMatch()) << after[0].constData();
  EXPECT_EQ(after[1], "live&start&1");
  EXPECT_EQ(after[2], "live1s&stop");
  EXPECT_EQ(after.mid(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2016-09-09 00:00:00",
                                 "getcal&2016-09-09 00:00:00", "getprf&2016-09-09 00:00:00"}));

  Client dup(sv.Port());
  dup.ReadLines(1);
  dup.Send("cpdt&se-7\n");  // another ID in other case: accepted, listed once
  EXPECT_EQ(dup.ReadLines(1).size(), 1);
  Client again(sv.Port());
  again.ReadLines(1);
  again.Send("cpdt&SE-7\n");
  EXPECT_TRUE(again.WaitClosed(3000));
  Client bad(sv.Port());
  bad.ReadLines(1);
  bad.Send("cpdt&../x\n");
  EXPECT_TRUE(bad.WaitClosed(3000));
  se.Send("ping&x\n");
  EXPECT_EQ(se.ReadLines(1), Lines{"ping&error"});
  EXPECT_EQ(sv.Stop(), 0);

  EXPECT_EQ(ReadText(sv.DataPath() + "SE-7/term.cfg"),
            "[head]\r\nid=SE-7\r\nname=North Gate\r\ntype=Quietmark-SE\r\n");
  EXPECT_EQ(ReadText(sv.DataPath() + "clientlist.csv"), "SE-7\r\n");
  const QString log = sv.LastRun();
  EXPECT_TRUE(log.contains("Quietmark-SE:SE-7 - connected on 127.0.0.1 ctx:"));
  EXPECT_TRUE(log.contains("SE-7: Clock sync setclk&"));
  EXPECT_TRUE(log.contains("SE-7: duplicate name ctx:"));
  EXPECT_TRUE(log.contains("../x: invalid monitor ID"));
  EXPECT_TRUE(log.contains("rx error:ping&x"));
}

TEST(MonitorLink, SilentMonitorIsDroppedThirtyToFortySecondsAfterItsLastPong) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start());
  Client mon(sv.Port());
  mon.ReadLines(1);
  mon.Send("cpdt&Mute\n");
  mon.ReadLines(3);
  // Answer the first ping, then fall silent.
  EXPECT_EQ(mon.ReadLines(1, 12000), Lines{"ping"});
  mon.Send("pong&40\n");
  QElapsedTimer sinceLastPong;
  sinceLastPong.start();
  EXPECT_TRUE(mon.WaitClosed(45000));
  const qint64 ms = sinceLastPong.elapsed();
  EXPECT_GE(ms, 29000);
  EXPECT_LE(ms, 41000);
  EXPECT_EQ(sv.Stop(), 0);
  const QString log = sv.LastRun();
  for (const char* miss : {"Mute: missed ping #0", "Mute: missed ping #1", "Mute: missed ping #2",
                           "Mute: connection lost", "Mute: disconnected"})
    EXPECT_TRUE(log.contains(miss)) << miss;
  EXPECT_FALSE(log.contains("Mute: missed ping #3"));
}

TEST(MonitorLink, HostileInputLeavesTheProgramServingOthers) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  Client good(sv.Port());
  good.ReadLines(1);
  good.Send("cpdt&Good\n");
  good.ReadLines(3);
  {
    Client bad(sv.Port());
    QByteArray junk;
    for (int i = 0; i < 20000; ++i) junk += "garbage&" + QByteArray::number(i) + "\n";
    bad.Send(junk);
    bad.Send(QByteArray(1 << 20, 'Z') + "\n");
    bad.Send(QByteArray(100000, '\0') + "\n\r\n\xff\xfe\n");
    QByteArray random(512 * 1024, '\0');
    quint32 x = 12345;
    for (char& ch : random) {
      x = x * 1103515245u + 12345u;
      ch = static_cast<char>(x >> 24);
    }
    bad.Send(random);
  }
  good.Send("hello\n");
  bool replied = false;
  for (int i = 0; i < 40 && !replied; ++i) replied = good.ReadFor(250).contains("hello&error");
  EXPECT_TRUE(replied);
  EXPECT_EQ(sv.Process().state(), QProcess::Running);
  EXPECT_EQ(sv.Stop(), 0);
  EXPECT_TRUE(sv.LastRun().contains("Read terminated, buffer emptied"));
}

}  // namespace
