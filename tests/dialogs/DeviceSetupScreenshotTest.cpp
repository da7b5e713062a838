#include "DiscoveryFixture.h"
#include "core/TClientList.h"
#include "dialogs/TformFindByIP.h"
#include "dialogs/TformFindClients.h"
#include "dialogs/TformNetStick.h"
#include "support/FakeDiscoveryHost.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Pictures of the three dialogs for the documentation, taken only when QMSV_SCREENSHOT_DIR
// names a folder (run under xvfb-run for the real look).
class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = qEnvironmentVariable("QMSV_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "QMSV_SCREENSHOT_DIR not set";
    env = qmtest::LoopbackEnv(&clients, port, &log);
    ASSERT_TRUE(TFindSearch::SubNetOf(env.localAddress()).startsWith("127."));
  }
  void Save(QWidget& w, const char* name) {
    QTest::qWait(200);
    EXPECT_TRUE(w.grab().save(folder + "/" + name));
  }
  QString folder;
  TClientList clients;
  qmtest::LogCapture log;
  quint16 port = qmtest::FreePort();
  TFindSearch::Env env;
};

TEST_F(Screenshots, ThreeDialogs) {
  qmtest::SimDiscovery simA("127.0.0.5", port, "YARD-", "se");
  qmtest::SimDiscovery simB("127.0.0.9", port, "GATE-", "ng");
  ASSERT_TRUE(simA.WaitListening() && simB.WaitListening());
  qmtest::AddConnected(clients, "127.0.0.40", "DT-0042", "Car park");

  TformFindClients find(env, nullptr, 1);
  find.show();
  QTest::mouseClick(find.btnOK, Qt::LeftButton);
  ASSERT_TRUE(qmtest::WaitFor([&] { return find.Search().Finished(); }, 60000));
  Save(find, "find-new-monitors.png");

  qmtest::SimDiscovery simC("127.0.0.6", port, "SHED-", "dt");
  ASSERT_TRUE(simC.WaitListening());
  TformFindByIP byIp(env);
  byIp.show();
  QTest::keyClicks(byIp.editIP, "127.0.0.6");
  QTest::mouseClick(byIp.btnOK, Qt::LeftButton);
  Save(byIp, "connect-by-ip.png");

  struct OneStick : qmplatform::IDrives {
    QList<qmplatform::MountedDrive> Mounted() const override {
      return {{"/", false}, {"/media/user/USBSTICK", true}};
    }
  } drives;
  TformNetStick stick(drives, "127.0.0.1", 53941);
  stick.show();
  stick.chkNetwork->click();
  QTest::keyClicks(stick.editNetName, "SiteNet");
  QTest::keyClicks(stick.editNetPsk, "s3cret");
  QTest::mouseClick(stick.btnAdd, Qt::LeftButton);
  QTest::keyClicks(stick.editNetName, "Backup");
  stick.chkServerIP->click();
  Save(stick, "memory-stick.png");
}

}  // namespace
