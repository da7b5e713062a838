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

// Every key: its default from a missing file (which stays unwritten), then its stored value.
TEST_F(TCfgTest, EveryKeyGivesItsDefaultWhenMissingAndItsStoredValue) {
  using Get = QString (*)(const TCfg&);
  struct Case {
    const char* section;
    const char* key;
    const char* stored;
    Get get;
    QString def;
    QString value;
  };
  auto num = [](int v) { return QString::number(v); };
  const Case cases[] = {
      {"app", "reporter", "/opt/rp", [](const TCfg& c) { return c.ReporterProg(); },
       env.programFolder + "quietmarkrp", "/opt/rp"},
      {"window", "x", "10", [](const TCfg& c) { return QString::number(c.x()); }, "-1", "10"},
      {"window", "y", "20", [](const TCfg& c) { return QString::number(c.y()); }, "-1", "20"},
      {"window", "cx", "300", [](const TCfg& c) { return QString::number(c.cx()); }, "800", "300"},
      {"window", "cy", "200", [](const TCfg& c) { return QString::number(c.cy()); }, "600", "200"},
      {"window", "state", "2", [](const TCfg& c) { return QString::number(c.WinState()); }, "0",
       "2"},
      {"window", "systray", "1", [](const TCfg& c) { return QString::number(c.SysTray()); }, "0",
       "1"},
      {"window", "notify", "1", [](const TCfg& c) { return QString::number(c.Notify()); }, "0",
       "1"},
      {"window", "autostart", "1", [](const TCfg& c) { return QString::number(c.StartWithWin()); },
       "0", "1"},
      {"window", "toolbar", "0", [](const TCfg& c) { return QString::number(c.Toolbar()); }, "1",
       "0"},
      {"window", "clientlist", "0", [](const TCfg& c) { return QString::number(c.ClientList()); },
       "1", "0"},
      {"network", "port", "1000", [](const TCfg& c) { return QString::number(c.Port()); }, "53941",
       "1000"},
      {"network", "rtlive", "0", [](const TCfg& c) { return QString::number(c.RTLive()); }, "1",
       "0"},
      {"network", "history", "0", [](const TCfg& c) { return QString::number(c.History()); }, "1",
       "0"},
      {"alarms", "repperiod", "60", [](const TCfg& c) { return QString::number(c.ReportPeriod()); },
       "15", "60"},
      {"alarms", "sortby", "name", [](const TCfg& c) { return c.SortBy(); }, "alarm", "name"},
      {"alerts", "byemail", "1", [](const TCfg& c) { return QString::number(c.AlertByEmail()); },
       "0", "1"},
      {"alerts", "email", "a@b.c;d@e.f", [](const TCfg& c) { return c.AlertEmails(); }, "",
       "a@b.c;d@e.f"},
      {"alerts", "from", "s@x.y", [](const TCfg& c) { return c.AlertFrom(); }, "", "s@x.y"},
      {"alerts", "smtphost", "mail", [](const TCfg& c) { return c.SmtpHost(); }, "", "mail"},
      {"alerts", "smtpport", "587", [](const TCfg& c) { return QString::number(c.SmtpPort()); },
       "25", "587"},
      {"alerts", "smtpuser", "u", [](const TCfg& c) { return c.SmtpUser(); }, "", "u"},
      {"alerts", "smtppwd", "p w", [](const TCfg& c) { return c.SmtpPwd(); }, "", "p w"},
      {"alerts", "smtpssl", "1", [](const TCfg& c) { return QString::number(c.SmtpSSL()); }, "0",
       "1"},
      {"alerts", "rate", "30", [](const TCfg& c) { return QString::number(c.AlertRate()); }, "10",
       "30"},
      {"chart", "yscale", "1", [](const TCfg& c) { return QString::number(c.YAxisScale()); },
       num(yasRemote), num(yasAuto)},
      {"chart", "ymin", "10", [](const TCfg& c) { return QString::number(c.YAxisMin()); }, "30",
       "10"},
      {"chart", "ymax", "20", [](const TCfg& c) { return QString::number(c.YAxisMax()); }, "80",
       "20"},
      {"clock", "sync", "1", [](const TCfg& c) { return QString::number(c.ClockSync()); }, "0",
       "1"},
  };
  {
    const TCfg cfg(env);
    for (const Case& c : cases) EXPECT_EQ(c.get(cfg), c.def) << c.key;
    EXPECT_FALSE(QFile::exists(settings));
  }
  QByteArray text;
  QByteArray section;
  for (const Case& c : cases) {
    if (section != c.section) text += "[" + (section = c.section) + "]\r\n";
    text += QByteArray(c.key) + "=" + c.stored + "\r\n";
  }
  Store(text);
  const TCfg cfg(env);
  for (const Case& c : cases) EXPECT_EQ(c.get(cfg), c.value) << c.key;
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
