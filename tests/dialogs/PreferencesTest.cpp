#include "core/IniFile.h"
#include "dialogs/TformCfg.h"
#include "display/TFrameClient.h"
#include "display/TformMain.h"
#include "live/TQmAlert.h"
#include "support/SmtpServer.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The preferences opened from the main window's menu, on a real supervisor listening on
// loopback.
class PreferencesTest : public ::testing::Test {
 protected:
  void Start(QStringList args = {"test"}) {
    env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, {});
    main = std::make_unique<TformMain>(TSupervisor::Options{args, env, false});
    main->show();
    ASSERT_TRUE(qmtest::WaitFor([&] { return Server()->BoundPort() != 0; }));
  }
  void TearDown() override { main.reset(); }

  TThreadServer* Server() { return main->Supervisor().Server(); }
  TCfg& Cfg() { return main->Supervisor().Cfg(); }

  QAction* PreferencesItem() {
    for (QAction* menu : main->menuBar()->actions())
      if (menu->text() == "&System")
        for (QAction* item : menu->menu()->actions())
          if (item->text() == "&Preferences...") return item;
    return nullptr;
  }

  // Chooses the menu item and runs `act` on the dialog once its modal loop runs; returns when
  // the dialog has closed.
  void WithDialog(const std::function<void(TformCfg&)>& act) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (auto* d = qobject_cast<TformCfg*>(QApplication::activeModalWidget())) {
        poll.stop();
        act(*d);
      }
    });
    poll.start();
    QAction* item = PreferencesItem();
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }

  bool LogHas(const QString& text) const {
    for (const QString& l : main->Supervisor().Log().Lines())
      if (l.contains(text)) return true;
    return false;
  }

  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TformMain> main;
};

TEST_F(PreferencesTest, ChangedPortMovesTheListener) {
  Start();
  const quint16 oldPort = Server()->BoundPort();
  qmtest::Client before(oldPort);
  ASSERT_EQ(before.ReadLines(1), QList<QByteArray>{"cnx"});
  before.Send("cpse&Yard-1&Yard&core,1.0\r\n");
  before.ReadFor(300);
  const quint16 newPort = qmtest::FreePort();
  main->Supervisor().Alert().Timer().Start(600000);

  WithDialog([&](TformCfg& d) {
    d.editPort->setText(QString::number(newPort));
    d.btnOK->click();
  });
  EXPECT_EQ(Cfg().Port(), newPort);
  EXPECT_EQ(IniFile(Cfg().SettingsPath()).ReadString("network", "port", ""),
            QString::number(newPort));
  ASSERT_TRUE(qmtest::WaitFor([&] { return Server()->BoundPort() == newPort; }));
  // Every OK ends the alert rate limit.
  EXPECT_FALSE(main->Supervisor().Alert().Timer().IsActive());

  // The monitor on the old port is dropped; it finds the server on the new one.
  EXPECT_TRUE(before.WaitClosed(2000));
  qmtest::Client after(newPort);
  EXPECT_EQ(after.ReadLines(1), QList<QByteArray>{"cnx"});
  EXPECT_FALSE(qmtest::Client(oldPort).Connected());
}

TEST_F(PreferencesTest, OkWithTheSamePortKeepsTheListenerAndCancelKeepsTheRateLimit) {
  Start();
  const TThreadServer* server = Server();
  qmtest::Client monitor(server->BoundPort());
  ASSERT_EQ(monitor.ReadLines(1), QList<QByteArray>{"cnx"});
  main->Supervisor().Alert().Timer().Start(600000);

  WithDialog([](TformCfg& d) { d.btnCancel->click(); });
  EXPECT_TRUE(main->Supervisor().Alert().Timer().IsActive());
  WithDialog([](TformCfg& d) {
    d.chkClockSync->click();
    d.btnOK->click();
  });
  EXPECT_TRUE(Cfg().ClockSync());
  EXPECT_EQ(Server(), server);
  EXPECT_FALSE(monitor.WaitClosed(500));
  EXPECT_FALSE(main->Supervisor().Alert().Timer().IsActive());
  EXPECT_FALSE(LogHas("StopServer()"));
}

TEST_F(PreferencesTest, MonitorsAreServedWhileTheDialogIsOpen) {
  Start({"test", "bhdebug=on"});
  const quint16 port = Server()->BoundPort();
  std::atomic<bool> done{false}, release{false};
  QList<QByteArray> greeting;
  QByteArray afterIdentification;
  bool frameWhileOpen = false;
  std::thread monitor;

  WithDialog([&](TformCfg& d) {
    // The monitor runs on its own thread: the interface thread stays in the dialog's loop.
    monitor = std::thread([&] {
      qmtest::Client c(port);
      greeting = c.ReadLines(1);
      c.Send("cpse&Yard-1&Yard&core,1.0\r\n");
      afterIdentification = c.ReadFor(1500);
      done = true;
      // Connected until the window was looked for.
      for (int i = 0; i < 1000 && !release; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    auto* wait = new QTimer(&d);
    wait->setInterval(20);
    QObject::connect(wait, &QTimer::timeout, &d, [&, wait] {
      if (!done) return;
      wait->stop();
      for (TFrameClient* f : main->Frames()) frameWhileOpen |= f->ID() == "Yard-1";
      release = true;
      d.btnCancel->click();
    });
    wait->start();
  });
  monitor.join();
  EXPECT_TRUE(LogHas("TFormMain.menuitemSettingsClick()"));
  EXPECT_EQ(greeting, QList<QByteArray>{"cnx"});
  EXPECT_FALSE(afterIdentification.isEmpty());  // the stream and download requests
  EXPECT_TRUE(frameWhileOpen);
}

TEST_F(PreferencesTest, MailTestReachesTheServerAndItsFieldsOutliveCancel) {
  const QString pwd = "pw-Zq81x";
  qmtest::SmtpServer mail({"--user", "sv", pwd});
  ASSERT_TRUE(mail.Ready());
  Start({"test", "bhdebug=on"});
  // A port outside the list stays selectable and is what the test uses.
  Cfg().SetSmtpPort(mail.Port());
  const QString settings = Cfg().SettingsPath();

  QString status;
  WithDialog([&](TformCfg& d) {
    d.chkAlertByEmail->click();
    d.editMailTo->setText("ops@example.org");
    d.editAlertFrom->setText("sv@example.org");
    d.editSmtpHost->setText("127.0.0.1");
    d.editSmtpUser->setText("sv");
    d.editSmtpPwd->setText(pwd);
    EXPECT_EQ(d.comboSmtpPort->currentText(), QString::number(mail.Port()));
    d.btnMailTest->click();
    status = d.lblMailStat->text();
    d.btnCancel->click();
  });
  EXPECT_EQ(status, "Mail sent, check your inbox");
  ASSERT_TRUE(qmtest::WaitFor([&] { return mail.Messages().size() == 1; }, 15000));
  EXPECT_TRUE(
      mail.Messages()[0]["data"].toString().contains("Test message from Quietmark Supervisor"));
  EXPECT_EQ(mail.Messages()[0]["login"].toString(), "sv");
  ASSERT_TRUE(qmtest::WaitFor([&] { return LogHas("Alert sent to ops@example.org"); }, 5000));

  const IniFile ini(settings);
  EXPECT_EQ(ini.ReadString("alerts", "email", ""), "ops@example.org");
  EXPECT_EQ(ini.ReadString("alerts", "from", ""), "sv@example.org");
  EXPECT_EQ(ini.ReadString("alerts", "smtphost", ""), "127.0.0.1");
  EXPECT_EQ(ini.ReadString("alerts", "smtpport", ""), QString::number(mail.Port()));
  EXPECT_EQ(ini.ReadString("alerts", "smtpuser", ""), "sv");
  EXPECT_EQ(ini.ReadString("alerts", "smtppwd", ""), pwd);
  EXPECT_EQ(ini.ReadString("alerts", "byemail", "<none>"), "<none>");
  EXPECT_FALSE(QFile::permissions(settings) &
               (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther));
  // Neither the event log nor the debug log shows the password.
  EXPECT_TRUE(main->Supervisor().Log().DebugEnabled());
  EXPECT_FALSE(LogHas(pwd));
}

}  // namespace
