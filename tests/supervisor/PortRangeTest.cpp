#include "supervisor/TSupervisor.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool LogHas(TSupervisor& sup, const QString& text) {
  for (const QString& l : sup.Log().Lines())
    if (l.contains(text)) return true;
  return false;
}

TEST(PortRange, AStoredPortOutsideTheRangeFallsBackToTheDefaultWithALogLine) {
  for (const char* port : {"65536", "99999", "-1"}) {
    QTemporaryDir dir;
    const TCfg::Env env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, {{"network/port", port}});
    FakeUi ui;
    TSupervisor sup(&ui, TSupervisor::Options{{"test"}, env, false});
    sup.Start();
    // The default may be in use by another program on this machine: trying it is what counts.
    EXPECT_TRUE(qmtest::WaitFor([&] {
      return LogHas(sup, "Listening on port 53941") ||
             LogHas(sup, "Failed to listen on port 53941");
    })) << port;
    EXPECT_TRUE(LogHas(sup, QString("Invalid port %1 in settings: using 53941").arg(port))) << port;
    EXPECT_EQ(sup.Cfg().Port(), QString(port).toInt()) << "the setting stays as it is";
  }
}

TEST(PortRange, PortZeroStillMeansAnyFreePort) {
  QTemporaryDir dir;
  const TCfg::Env env = qmtest::TempEnv(dir);
  qmtest::WriteTestSettings(env, {});
  FakeUi ui;
  TSupervisor sup(&ui, TSupervisor::Options{{"test"}, env, false});
  sup.Start();
  ASSERT_TRUE(qmtest::WaitFor([&] { return sup.Server()->BoundPort() != 0; }));
  EXPECT_TRUE(qmtest::WaitFor([&] {
    return LogHas(sup, "Listening on port " + QString::number(sup.Server()->BoundPort()));
  }));
  EXPECT_FALSE(LogHas(sup, "Invalid port"));
}

}  // namespace
