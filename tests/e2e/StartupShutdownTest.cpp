#include "e2e/SupervisorProcess.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using qmtest::Client;
using qmtest::SupervisorProcess;

TEST(StartupShutdown, ServesLogsReceivedLinesAndLeavesItsFilesOnSigterm) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start());
  {
    Client client(sv.Port());
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(client.ReadLines(1), QList<QByteArray>{"cnx"});
    client.Send("first line\r\nsecond");
    client.Send(" line\n");
    EXPECT_EQ(client.ReadLines(2).size(), 2);  // both answered with the error reply
  }
  EXPECT_EQ(sv.Stop(), 0);

  const QString log = sv.LastRun();
  const QStringList lines = log.split("\r\n", Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(log.endsWith("\r\n"));
  const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d> )");
  for (const QString& line : lines) EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
  EXPECT_TRUE(log.contains("> Listening on port " + QString::number(sv.Port()) + "\r\n"));
  EXPECT_TRUE(log.contains("> D> TFormMain.ServerRx(): first line : ctx="));
  EXPECT_TRUE(log.contains("> D> TFormMain.ServerRx(): second line : ctx="));
  EXPECT_TRUE(log.contains("> StopServer()\r\n"));
  EXPECT_TRUE(log.contains("> Quietmark-SV v1.3.1\r\n"));

  const QString settings = sv.Settings();
  for (const char* key : {"x=", "y=", "cx=", "cy=", "state=0", "datapath="})
    EXPECT_TRUE(settings.contains(key)) << key;
  EXPECT_TRUE(settings.contains("datapath=" + sv.DataPath()));
  EXPECT_TRUE(QDir(sv.DataPath()).exists());
}

TEST(StartupShutdown, SecondInstanceExitsAtOnceWhileTheFirstServes) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start());
  QProcess second;
  second.setProcessEnvironment(sv.Environment());
  second.start(SupervisorProcess::Binary("quietmark-sv"), {"bhdebug=on"});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 0);
  Client client(sv.Port());
  EXPECT_EQ(client.ReadLines(1), QList<QByteArray>{"cnx"});
  client.Close();
  EXPECT_EQ(sv.Stop(), 0);
}

TEST(StartupShutdown, WithoutTheDebugSwitchReceivedLinesStayOutOfTheLog) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  {
    Client client(sv.Port());
    client.ReadLines(1);
    client.Send("quiet line\n");
    client.ReadLines(1);
  }
  EXPECT_EQ(sv.Stop(), 0);
  EXPECT_FALSE(sv.LastRun().contains("D> "));
  EXPECT_TRUE(sv.LastRun().contains("rx error:quiet line"));
}

TEST(StartupShutdown, ADataPathThatCannotBeMadeNeitherBlocksNorStopsTheListener) {
  SupervisorProcess sv;
  sv.Setting("app", "datapath", sv.AppData() + "blocker/data");
  QFile blocker(sv.AppData() + "blocker");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  ASSERT_TRUE(sv.Start());
  {
    Client client(sv.Port());
    EXPECT_EQ(client.ReadLines(1), QList<QByteArray>{"cnx"});
  }
  EXPECT_EQ(sv.Stop(), 0);
  EXPECT_TRUE(
      sv.LastRun().contains("Failed to create data path: " + sv.AppData() + "blocker/data/"));
}

}  // namespace
