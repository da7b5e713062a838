#include "core/TCfg.h"
#include "platform/Autostart.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class FakeAutostart : public qmplatform::IAutostart {
 public:
  void Set(const QString& name, const QString& command) override { entries[name] = command; }
  void Remove(const QString& name) override { entries.remove(name); }
  QMap<QString, QString> entries;
};

class TCfgTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  TCfg::Env env = qmtest::TempEnv(dir);
  QString settings = env.appDataFolder + "settings.ini";

  void Store(const QByteArray& text) {
    QFile f(settings);
    f.open(QIODevice::WriteOnly);
    f.write(text);
  }
  QString Stored(const QString& section, const QString& key) {
    return IniFile(settings).ReadString(section, key, "<none>");
  }
};

TEST_F(TCfgTest, MissingFileGivesEveryDefaultAndWritesNothing) {
  TCfg cfg(env);
  EXPECT_EQ(cfg.x(), -1);
  EXPECT_EQ(cfg.y(), -1);
  EXPECT_EQ(cfg.cx(), 800);
  EXPECT_EQ(cfg.cy(), 600);
  EXPECT_EQ(cfg.WinState(), 0);
  EXPECT_FALSE(cfg.SysTray());
  EXPECT_FALSE(cfg.Notify());
  EXPECT_FALSE(cfg.StartWithWin());
  EXPECT_TRUE(cfg.Toolbar());
  EXPECT_TRUE(cfg.ClientList());
  EXPECT_EQ(cfg.Port(), 53941);
  EXPECT_TRUE(cfg.RTLive());
  EXPECT_TRUE(cfg.History());
  EXPECT_EQ(cfg.ReportPeriod(), 15);
  EXPECT_EQ(cfg.SortBy(), "alarm");
  EXPECT_EQ(cfg.ReporterProg(), env.programFolder + "quietmarkrp");
  EXPECT_FALSE(cfg.AlertByEmail());
  EXPECT_EQ(cfg.AlertEmails(), "");
  EXPECT_EQ(cfg.AlertFrom(), "");
  EXPECT_EQ(cfg.SmtpHost(), "");
  EXPECT_EQ(cfg.SmtpPort(), 25);
  EXPECT_EQ(cfg.SmtpUser(), "");
  EXPECT_EQ(cfg.SmtpPwd(), "");
  EXPECT_FALSE(cfg.SmtpSSL());
  EXPECT_EQ(cfg.AlertRate(), 10);
  EXPECT_EQ(cfg.YAxisScale(), yasRemote);
  EXPECT_EQ(cfg.YAxisMin(), 30);
  EXPECT_EQ(cfg.YAxisMax(), 80);
  EXPECT_FALSE(cfg.ClockSync());
  EXPECT_FALSE(QFile::exists(settings));
}

TEST_F(TCfgTest, StoredValuesAreReadWithTheirKeys) {
  Store(
      "[app]\r\nreporter=/opt/rp\r\n[window]\r\nx=10\r\ny=20\r\ncx=300\r\ncy=200\r\nstate=2\r\n"
      "systray=1\r\nnotify=1\r\nautostart=1\r\ntoolbar=0\r\nclientlist=0\r\n"
      "[network]\r\nport=1000\r\nrtlive=0\r\nhistory=0\r\n[alarms]\r\nrepperiod=60\r\n"
      "sortby=name\r\n[alerts]\r\nbyemail=1\r\nemail=a@b.c;d@e.f\r\nfrom=s@x.y\r\n"
      "smtphost=mail\r\nsmtpport=587\r\nsmtpuser=u\r\nsmtppwd=p w\r\nsmtpssl=1\r\nrate=30\r\n"
      "[chart]\r\nyscale=1\r\nymin=10\r\nymax=20\r\n[clock]\r\nsync=1\r\n");
  TCfg cfg(env);
  EXPECT_EQ(cfg.ReporterProg(), "/opt/rp");
  EXPECT_EQ(cfg.x(), 10);
  EXPECT_EQ(cfg.y(), 20);
  EXPECT_EQ(cfg.cx(), 300);
  EXPECT_EQ(cfg.cy(), 200);
  EXPECT_EQ(cfg.WinState(), 2);
  EXPECT_TRUE(cfg.SysTray() && cfg.Notify() && cfg.StartWithWin());
  EXPECT_FALSE(cfg.Toolbar() || cfg.ClientList() || cfg.RTLive() || cfg.History());
  EXPECT_EQ(cfg.Port(), 1000);
  EXPECT_EQ(cfg.ReportPeriod(), 60);
  EXPECT_EQ(cfg.SortBy(), "name");
  EXPECT_TRUE(cfg.AlertByEmail());
  EXPECT_EQ(cfg.AlertEmails(), "a@b.c;d@e.f");
  EXPECT_EQ(cfg.AlertFrom(), "s@x.y");
  EXPECT_EQ(cfg.SmtpHost(), "mail");
  EXPECT_EQ(cfg.SmtpPort(), 587);
  EXPECT_EQ(cfg.SmtpUser(), "u");
  EXPECT_EQ(cfg.SmtpPwd(), "p w");
  EXPECT_TRUE(cfg.SmtpSSL());
  EXPECT_EQ(cfg.AlertRate(), 30);
  EXPECT_EQ(cfg.YAxisScale(), yasAuto);
  EXPECT_EQ(cfg.YAxisMin(), 10);
  EXPECT_EQ(cfg.YAxisMax(), 20);
  EXPECT_TRUE(cfg.ClockSync());
}

TEST_F(TCfgTest, CorrectionsOnRead) {
  struct Case {
    const char* chart;
    TYAxisScale scale;
    int min, max;
  } cases[] = {
      {"yscale=7\r\nymin=5\r\nymax=100", yasFixed, 30, 80},
      {"yscale=2\r\nymin=70\r\nymax=75", yasFixed, 30, 80},
      {"yscale=0\r\nymin=10\r\nymax=20", yasRemote, 10, 20},
      {"ymin=20\r\nymax=141", yasRemote, 30, 80},
      {"ymin=abc\r\nymax=100", yasRemote, 30, 100},
  };
  for (const auto& c : cases) {
    Store(QByteArray("[chart]\r\n") + c.chart + "\r\n");
    TCfg cfg(env);
    EXPECT_EQ(cfg.YAxisScale(), c.scale) << c.chart;
    EXPECT_EQ(cfg.YAxisMin(), c.min) << c.chart;
    EXPECT_EQ(cfg.YAxisMax(), c.max) << c.chart;
  }
  // The corrected values live in memory only until the next write.
  EXPECT_EQ(Stored("chart", "ymin"), "abc");
}

TEST_F(TCfgTest, SettersWriteTheirKeyAtOnce) {
  TCfg cfg(env);
  cfg.SetPort(4000);
  cfg.SetSmtpPwd("se cr=et");
  cfg.SetYAxisScale(yasFixed);
  cfg.SetNotify(true);
  EXPECT_EQ(Stored("network", "port"), "4000");
  EXPECT_EQ(Stored("alerts", "smtppwd"), "se cr=et");
  EXPECT_EQ(Stored("chart", "yscale"), "2");
  EXPECT_EQ(Stored("window", "notify"), "1");
  TCfg again(env);
  EXPECT_EQ(again.Port(), 4000);
  EXPECT_EQ(again.SmtpPwd(), "se cr=et");
}

TEST_F(TCfgTest, DataPathDefaultTrailingSeparatorAndCreation) {
  {
    TCfg cfg(env);
    const QString expected = env.allUsersDataFolder + "Brackenhall/Quietmark-SV/data/";
    EXPECT_EQ(cfg.DataPath(), expected);
    EXPECT_EQ(Stored("app", "datapath"), expected);
    EXPECT_TRUE(QDir(expected).exists());
  }
  const QString plain = dir.path() + "/elsewhere/monitors";
  Store(("[app]\r\ndatapath=" + plain + "\r\n").toUtf8());
  TCfg cfg(env);
  EXPECT_EQ(cfg.DataPath(), plain + "/");
  EXPECT_EQ(Stored("app", "datapath"), plain + "/");
  EXPECT_TRUE(QDir(plain).exists());
}

TEST_F(TCfgTest, DataPathThatCannotBeCreatedReportsAndStaysStored) {
  QString shown;
  env.showError = [&](const QString& text) { shown = text; };
  QFile blocker(dir.path() + "/file");
  blocker.open(QIODevice::WriteOnly);
  blocker.close();
  TCfg cfg(env);
  cfg.SetDataPath(dir.path() + "/file/sub/");
  EXPECT_EQ(shown, "Failed to create data path");
  EXPECT_EQ(cfg.DataPath(), dir.path() + "/file/sub/");
}

TEST_F(TCfgTest, StartWithWinWritesAndRemovesTheAutostartEntry) {
  FakeAutostart autostart;
  env.autostart = &autostart;
  TCfg cfg(env);
  cfg.SetStartWithWin(true);
  EXPECT_EQ(autostart.entries.value("Quietmark-SV"), env.executablePath);
  EXPECT_EQ(Stored("window", "autostart"), "1");
  cfg.SetStartWithWin(false);
  EXPECT_FALSE(autostart.entries.contains("Quietmark-SV"));
  EXPECT_EQ(Stored("window", "autostart"), "0");
}

TEST_F(TCfgTest, WithoutAppDataFolderFieldsStayEmptyAndNothingIsWritten) {
  env.appDataFolder.clear();
  TCfg cfg(env);
  EXPECT_EQ(cfg.Port(), 0);
  cfg.SetPort(5);
  EXPECT_EQ(cfg.Port(), 5);
  EXPECT_FALSE(QFile::exists(settings));
}

}  // namespace
