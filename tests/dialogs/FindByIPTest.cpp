#include "DiscoveryFixture.h"
#include "core/TClientList.h"
#include "dialogs/ConnectByIP.h"
#include "dialogs/TformFindByIP.h"
#include "supervisor/TSupervisor.h"
#include "support/FakeDiscoveryHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qmtest::FakeDiscoveryHost;
using qmtest::LogCapture;

class FindByIPDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::LoopbackEnv(&clients, port, &log);
    env.probe = [this](const QString& address, int p) {
      ++probes;
      return qmtest::LoopbackProbe(address, p);
    };
    dialog = std::make_unique<TformFindByIP>(env);
    dialog->showError = [this](const QString& text) { errors << text; };
    dialog->show();
  }
  void Type(const QString& text) {
    dialog->editIP->clear();
    QTest::keyClicks(dialog->editIP, text);
    if (text.isEmpty()) QTest::keyClick(dialog->editIP, Qt::Key_Backspace);
  }

  TClientList clients;
  LogCapture log;
  quint16 port = qmtest::FreePort();
  TFindSearch::Env env;
  int probes = 0;
  QStringList errors;
  std::unique_ptr<TformFindByIP> dialog;
};

TEST_F(FindByIPDialog, ConnectFollowsTheAddressAfterEachKey) {
  EXPECT_FALSE(dialog->btnOK->isEnabled());
  const struct {
    const char* text;
    bool enabled;
  } cases[] = {
      {"192.168.0.99", true},
      {"192.168.000.099", true},
      {"192.168.0", false},
      {"192.168.0.256", false},
      {"192.168.0.99.1", false},
      {"192.168..99", false},
      {"", false},
  };
  for (const auto& c : cases) {
    Type(c.text);
    EXPECT_EQ(dialog->btnOK->isEnabled(), c.enabled) << c.text;
  }
  EXPECT_EQ(probes, 0);
}

TEST_F(FindByIPDialog, AnAddressChangedWithoutAKeyIsCheckedOnPress) {
  Type("127.0.0.1");
  dialog->editIP->setText("127.0.0");  // as a paste with the mouse would
  ASSERT_TRUE(dialog->btnOK->isEnabled());
  QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
  EXPECT_EQ(errors, QStringList{"Not a valid IP address"});
  EXPECT_EQ(probes, 0);
  EXPECT_TRUE(log.msgs.isEmpty());
}

TEST_F(FindByIPDialog, NoMonitorAnswerLeavesTheAddressAndSaysSo) {
  FakeDiscoveryHost oneField("127.0.0.31", port + 1, FakeDiscoveryHost::Mode::Reply, "cpse\r\n");
  ASSERT_TRUE(oneField.Listening());
  Type("127.0.0.31");
  QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
  EXPECT_EQ(dialog->lblStatus->text(), "  Failed to connect on 127.0.0.31");
  EXPECT_EQ(dialog->editIP->text(), "127.0.0.31");
  EXPECT_EQ(log.msgs,
            QStringList({"Find by IP: 127.0.0.31", "  127.0.0.31 server found but no response"}));

  Type("127.0.0.32");  // nothing listens there
  QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
  EXPECT_EQ(dialog->lblStatus->text(), "  Failed to connect on 127.0.0.32");
  EXPECT_EQ(log.msgs.last(), "Find by IP: 127.0.0.32");
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_TRUE(dialog->isVisible());
}

TEST(ConnectByIP, ShowsTheAttemptBeforeTheProbe) {
  TClientList clients;
  LogCapture log;
  TFindSearch::Env env = qmtest::LoopbackEnv(&clients, 700, &log);
  QStringList shown;
  env.probe = [&](const QString& address, int port) {
    EXPECT_EQ(shown, QStringList{"Attempting to connect to 192.168.000.099"});
    EXPECT_EQ(address, "192.168.000.099");
    EXPECT_EQ(port, 701);
    TProbeResult r;
    r.bConnected = true;
    r.monitor = TMonitorAnswer{"cpdt", "DT-4", "Shed"};
    return r;
  };
  const TConnectOutcome out =
      ConnectByIP("192.168.000.099", env, [&](const QString& s) { shown << s; });
  EXPECT_TRUE(out.bFound);
  EXPECT_EQ(out.sStatus,
            "  Device found on 192.168.000.099\rAutomatic connection expected within 30 seconds");
  EXPECT_EQ(log.msgs, QStringList({"Find by IP: 192.168.000.099", "  Found on: 192.168.000.099",
                                   "  Device:cpdt ID:DT-4 NameShed"}));
}

// The whole road: the probe at a typed address, then the monitor connecting back by itself.
TEST(FindByIPEndToEnd, MonitorConnectsBackAfterTheProbe) {
  QTemporaryDir dir;
  TCfg::Env cfgEnv = qmtest::TempEnv(dir);
  qmtest::WriteTestSettings(cfgEnv, {});
  TSupervisor sup(nullptr, TSupervisor::Options{{"test"}, cfgEnv, false});
  sup.Start();
  ASSERT_TRUE(qmtest::WaitFor([&] { return sup.Server()->BoundPort() != 0; }));
  const int port = sup.Server()->BoundPort();

  qmtest::SimDiscovery sim("127.0.0.6", static_cast<quint16>(port), "IP-", "ng");
  ASSERT_TRUE(sim.WaitListening());

  TFindSearch::Env env = TFindSearch::Env::Live(&sup.Clients(), port);
  env.localAddress = [] { return QStringLiteral("127.0.0.1"); };
  env.probe = qmtest::LoopbackProbe;
  TformFindByIP dialog(env);
  dialog.show();
  QTest::keyClicks(dialog.editIP, "127.0.0.6");
  ASSERT_TRUE(dialog.btnOK->isEnabled());
  QTest::mouseClick(dialog.btnOK, Qt::LeftButton);

  EXPECT_EQ(dialog.lblStatus->text(),
            "  Device found on 127.0.0.6\nAutomatic connection expected within 30 seconds");
  EXPECT_EQ(dialog.editIP->text(), "");
  EXPECT_EQ(dialog.focusWidget(), dialog.editIP);
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  auto logHas = [&](const QString& text) {
    for (const QString& l : sup.Log().Lines())
      if (l.endsWith("> " + text)) return true;
    return false;
  };
  EXPECT_TRUE(logHas("Find by IP: 127.0.0.6"));
  EXPECT_TRUE(logHas("  Found on: 127.0.0.6"));
  EXPECT_TRUE(logHas("  Device:cpng ID:IP-001 NameSim NG IP-001"));

  EXPECT_TRUE(qmtest::WaitFor(
      [&] {
        TClientListHold hold(sup.Clients());
        const TDTClient* c = sup.Clients().GetClientFromID("IP-001");
        return c && c->Connected();
      },
      30000));
}

}  // namespace
