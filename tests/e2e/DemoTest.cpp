// The demo of the run command on a port other than the default, set the way the program itself
// writes settings.ini (CR LF line ends).
#include "e2e/SupervisorProcess.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using qmtest::SupervisorProcess;

TEST(Demo, PrintedPortIsTheOneOfTheSettings) {
  SupervisorProcess sv;                                       // port=<a free one> in [network]
  sv.Setting("Network", "Port", QString::number(sv.Port()));  // keys match in any case
  ASSERT_TRUE(sv.Settings().contains("\r\n"));
  QProcess p;
  p.setProcessEnvironment(sv.Environment());
  p.start(SupervisorProcess::Binary("quietmark-sv"), {"--print-port"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray::number(sv.Port()));
}

TEST(Demo, SimulatedMonitorsReachTheSupervisorOnItsConfiguredPort) {
  SupervisorProcess sv;
  ASSERT_NE(sv.Port(), 53941);
  QProcess demo;
  QProcessEnvironment env = sv.Environment();
  env.insert("BUILD_DIR", QMSV_BINARY_DIR);
  demo.setProcessEnvironment(env);
  demo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  demo.start(QMSV_SOURCE_DIR "/scripts/demo.sh", {});
  ASSERT_TRUE(demo.waitForStarted());
  // Each monitor that identified has its folder.
  const QStringList wanted{"DEMO-001", "DEMO-002", "DEMO-003", "DEMO-004", "DEMO-005", "DEMO-006"};
  QElapsedTimer clock;
  clock.start();
  auto found = [&] {
    return QDir(sv.DataPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name) == wanted;
  };
  while (!found() && clock.elapsed() < 30000) QThread::msleep(200);
  ::kill(static_cast<pid_t>(demo.processId()), SIGTERM);
  ASSERT_TRUE(demo.waitForFinished(20000));
  EXPECT_TRUE(found()) << QDir(sv.DataPath()).entryList().join(' ').toStdString();
  const QString log = sv.LastRun();
  EXPECT_TRUE(log.contains("Listening on port " + QString::number(sv.Port()))) << log.toStdString();
  EXPECT_TRUE(log.contains("DEMO-006 - connected on 127.0.0.1")) << log.toStdString();
}

}  // namespace
