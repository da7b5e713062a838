#include "e2e/SupervisorProcess.h"
#include "support/TestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

using qmtest::ReadText;
using qmtest::SupervisorProcess;

TEST(SimulatorFleet, EveryTypeIdentifiesAndStreamsWithoutErrors) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  QProcess sim;
  sim.start(SupervisorProcess::Binary("qmsim"),
            {"--port", QString::number(sv.Port()), "--type", "mix", "--count", "6", "--days", "1",
             "--no-discovery", "--id-prefix", "FLEET-"});
  ASSERT_TRUE(sim.waitForStarted());
  QThread::sleep(4);
  sim.terminate();
  sim.waitForFinished(5000);
  EXPECT_EQ(sv.Stop(), 0);

  const QString log = sv.LastRun();
  const char* types[] = {"Calmpoint-DT", "Quietmark-NG", "Quietmark-SE"};
  QStringList ids;
  for (int i = 1; i <= 6; ++i) {
    const QString id = QString("FLEET-%1").arg(i, 3, 10, QChar('0'));
    const QString type = types[(i - 1) % 3];
    EXPECT_TRUE(log.contains(type + ":" + id + " - connected on 127.0.0.1")) << id.toStdString();
    EXPECT_TRUE(ReadText(sv.DataPath() + id + "/term.cfg").contains("type=" + type + "\r\n"));
    ids << id;
  }
  // One line per ID, in the order they identified.
  QStringList listed = ReadText(sv.DataPath() + "clientlist.csv").split("\r\n");
  EXPECT_EQ(listed.takeLast(), "");
  listed.sort();
  EXPECT_EQ(listed, ids);
  EXPECT_FALSE(log.contains("rx error:")) << log.toStdString();
  EXPECT_FALSE(log.contains("missed ping"));
}

}  // namespace
