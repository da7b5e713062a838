#include "DiscoveryFixture.h"
#include "core/TClientList.h"
#include "dialogs/TformFindClients.h"
#include "support/FakeDiscoveryHost.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qmtest::FakeDiscoveryHost;
using qmtest::LogCapture;

QStringList Lines(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

TEST(FindSearch, SubnetOfTheLocalAddress) {
  const struct {
    const char* address;
    const char* subnet;
    bool debugLine;
  } cases[] = {
      {"10.1.2.3", "10.1.2.", false},
      {"127.0.0.1", "127.0.0.", false},
      {"1.2.3", "192.168.0.", false},
      {"", "192.168.0.", true},
  };
  for (const auto& c : cases) {
    TClientList clients;
    LogCapture log;
    TFindSearch::Env env = qmtest::LoopbackEnv(&clients, 53941, &log);
    env.localAddress = [&] { return QString(c.address); };
    TFindSearch search(env);
    search.Start();
    EXPECT_EQ(search.sSubNet, c.subnet) << c.address;
    EXPECT_EQ(search.nPort, 53942);
    EXPECT_EQ(log.debugs.contains("TFormFindClients.FormShow(): SUBNET EXCEPTION"), c.debugLine)
        << c.address;
    EXPECT_EQ(log.msgs, QStringList{QString("Server search: ") + c.subnet + "xxx:53942"});
  }
}

// The state machine alone, with a probe that touches no network.
TEST(FindSearch, ProbesAllOfTheSubnetAndCountsInTheStatusLine) {
  for (int found : {0, 1, 2}) {
    TClientList clients;
    LogCapture log;
    QStringList probed;
    TFindSearch::Env env = qmtest::LoopbackEnv(&clients, 1000, &log);
    env.localAddress = [] { return QStringLiteral("10.1.2.3"); };
    env.probe = [&](const QString& address, int port) {
      probed << address + ":" + QString::number(port);
      TProbeResult r;
      const int host = address.section('.', 3).toInt();
      if (host >= 1 && host <= found) {
        r.bConnected = true;
        r.monitor = TMonitorAnswer{"cpng", "NG-" + QString::number(host), ""};
      }
      return r;
    };
    TFindSearch search(env);
    search.Start();
    QStringList lines;
    while (!search.Finished()) {
      const QString line = search.Tick();
      if (!line.isEmpty()) lines << line;
    }
    ASSERT_EQ(probed.size(), 256);
    EXPECT_EQ(probed.front(), "10.1.2.0:1001");
    EXPECT_EQ(probed.back(), "10.1.2.255:1001");
    EXPECT_EQ(lines.size(), found);
    if (found) {
      EXPECT_EQ(lines[0], "NG-1 /  found on 10.1.2.1");  // an empty name is listed empty
    }
    const char* status[] = {"Search completed. No monitors found on local network.",
                            "Search completed. 1 monitor found.",
                            "Search completed. 2 monitors found."};
    EXPECT_EQ(search.FinalStatus(), status[found]);
    EXPECT_EQ(log.msgs.back(), "Monitor search finished");
    EXPECT_EQ(search.Tick(), "");  // nothing after the end
  }
}

class FindClientsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::LoopbackEnv(&clients, port, &log);
    // Nothing may leave the machine: the search must cover 127.0.0.0/24 before it starts.
    ASSERT_TRUE(TFindSearch::SubNetOf(env.localAddress()).startsWith("127."));
  }
  TClientList clients;
  LogCapture log;
  quint16 port = qmtest::FreePort();
  TFindSearch::Env env;
};

TEST_F(FindClientsDialog, SearchOverLoopbackListsMonitorsAndSkipsConnectedOnes) {
  const quint16 discovery = port + 1;
  qmtest::SimDiscovery simA("127.0.0.5", port, "FA-", "se");
  qmtest::SimDiscovery simB("127.0.0.9", port, "FB-", "ng");
  FakeDiscoveryHost silent("127.0.0.20", discovery, FakeDiscoveryHost::Mode::Silent);
  FakeDiscoveryHost oneField("127.0.0.30", discovery, FakeDiscoveryHost::Mode::Reply, "cpse\r\n");
  // Would answer as a monitor, but its address belongs to a connected one.
  FakeDiscoveryHost known("127.0.0.40", discovery, FakeDiscoveryHost::Mode::Reply,
                          "cpdt&KN-1&Known\r\n");
  ASSERT_TRUE(simA.WaitListening());
  ASSERT_TRUE(simB.WaitListening());
  ASSERT_TRUE(silent.Listening() && oneField.Listening() && known.Listening());
  qmtest::AddConnected(clients, "127.0.0.40", "KN-1", "Known");

  TformFindClients dialog(env, nullptr, 1);
  dialog.show();
  EXPECT_EQ(Lines(dialog.listbox),
            QStringList{"Click [Start] to search for noise monitors on the local network."});
  EXPECT_FALSE(dialog.lblStatus->isVisible());
  EXPECT_FALSE(dialog.progress->isVisible());
  QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
  EXPECT_FALSE(dialog.btnOK->isVisible());
  EXPECT_TRUE(dialog.progress->isVisible());
  EXPECT_EQ(dialog.lblStatus->text(), "Searching for monitors...");
  ASSERT_TRUE(qmtest::WaitFor([&] { return dialog.Search().Finished(); }, 60000));

  EXPECT_EQ(Lines(dialog.listbox), QStringList({"FA-001 / Sim SE FA-001 found on 127.0.0.5",
                                                "FB-001 / Sim NG FB-001 found on 127.0.0.9",
                                                "KN-1 / Known already connected on 127.0.0.40"}));
  EXPECT_EQ(dialog.lblStatus->text(), "Search completed. 2 monitors found.");
  EXPECT_EQ(dialog.btnCancel->text(), "Close");
  EXPECT_FALSE(dialog.progress->isVisible());
  EXPECT_FALSE(dialog.timerFind.isActive());
  EXPECT_EQ(known.Accepted(), 0);

  EXPECT_EQ(log.msgs.front(), QString("Server search: 127.0.0.xxx:%1").arg(discovery));
  EXPECT_EQ(log.Count("Client search: Found on 127.0.0.5"), 1);
  EXPECT_EQ(log.Count("  Device:cpse ID:FA-001 NameSim SE FA-001"), 1);
  EXPECT_EQ(log.Count("Client search: Found on 127.0.0.9"), 1);
  EXPECT_EQ(log.Count("  Device:cpng ID:FB-001 NameSim NG FB-001"), 1);
  EXPECT_EQ(log.Count("Search server found but no response"), 2);
  EXPECT_EQ(log.msgs.back(), "Monitor search finished");
  EXPECT_EQ(log.debugs.count("TFormFindServer.timerFindTimer(): EXCEPTION"), 256 - 5);
  EXPECT_TRUE(log.debugs.contains("TFormFindClients.timerFindTimer(): 127.0.0.0"));
  EXPECT_TRUE(log.debugs.contains("TFormFindClients.timerFindTimer(): 127.0.0.255"));
}

TEST_F(FindClientsDialog, ClosingMidSearchEndsIt) {
  int probes = 0;
  env.probe = [&](const QString& address, int p) {
    ++probes;
    return qmtest::LoopbackProbe(address, p);
  };
  TformFindClients dialog(env, nullptr, 1);
  dialog.show();
  QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
  ASSERT_TRUE(qmtest::WaitFor([&] { return probes >= 3; }));
  QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.timerFind.isActive());
  const int after = probes;
  QTest::qWait(50);
  EXPECT_EQ(probes, after);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
