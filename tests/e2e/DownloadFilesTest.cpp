#include "e2e/SupervisorProcess.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace {

using qmtest::SupervisorProcess;

// Simulated SE and NG monitors with `days` days of stored history.
class Simulator {
 public:
  Simulator(quint16 port, int days) {
    process_.start(SupervisorProcess::Binary("qmsim"),
                   {"--port", QString::number(port), "--type", "mix", "--count", "3", "--days",
                    QString::number(days), "--no-discovery", "--id-prefix", "DL-", "-v"});
  }
  ~Simulator() {
    process_.kill();
    process_.waitForFinished();
  }
  // Waits until the monitors have sent every end marker of the first download (8 for the SE,
  // 7 for the NG); false on time-out.
  bool WaitForEndMarkers(int count, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
      process_.waitForReadyRead(100);
      output_ += process_.readAllStandardOutput();
      if (output_.count("&.end") >= count) return true;
    }
    return false;
  }

 private:
  QProcess process_;
  QByteArray output_;
};

QMap<QString, QStringList> CsvFiles(const QString& root) {
  QMap<QString, QStringList> files;
  QDirIterator it(root, {"*.csv"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (path.endsWith("clientlist.csv")) continue;
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.endsWith("\r\n")) << path.toStdString();
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << path.toStdString();
    QStringList lines = QString::fromLatin1(bytes).split("\r\n");
    lines.removeLast();
    files[path.mid(root.size())] = lines;
  }
  return files;
}

// Every full file of a kind has its template length.
void ExpectWholeFiles(const QMap<QString, QStringList>& files) {
  for (auto it = files.begin(); it != files.end(); ++it) {
    const QString name = it.key().section('/', -1);
    if (name.startsWith("prf-")) {
      EXPECT_EQ(it->size(), 86401) << it.key().toStdString();
    }
    if (name.startsWith("per-")) {
      const int period = name.mid(7, 4).toInt();
      EXPECT_EQ(it->size(), 1440 / period + 1) << it.key().toStdString();
    }
  }
}

int Filled(const QStringList& lines) {
  int n = 0;
  for (int i = 1; i < lines.size(); ++i) n += !lines[i].endsWith(",-");
  return n;
}

TEST(DownloadFiles, FirstDownloadFillsEveryDayAndASecondChangesNoStoredRow) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  QMap<QString, QStringList> first;
  {
    Simulator sim(sv.Port(), 3);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 90000));
    QThread::msleep(1500);
  }
  EXPECT_EQ(sv.Stop(), 0);
  first = CsvFiles(sv.DataPath());
  ExpectWholeFiles(first);

  const QDate today = QDate::currentDate();
  for (const QString id : {"DL-002", "DL-003"}) {  // NG and SE; DL-001 is a Calmpoint-DT
    for (int back = 1; back <= 3; ++back) {
      const QDate d = today.addDays(-back);
      const QString month = "/" + d.toString("yyyy-MM") + "/";
      const QString day = d.toString("dd");
      EXPECT_EQ(Filled(first.value(id + month + "prf-" + day + ".csv")), 86400) << id.toStdString();
      EXPECT_EQ(Filled(first.value(id + month + "per-" + day + "-0005.csv")), 288);
      EXPECT_EQ(Filled(first.value(id + month + "per-" + day + "-0060.csv")), 24);
      EXPECT_EQ(first.value(id + month + "per-" + day + "-0060.csv").value(0),
                ".time,laeq,lmax,l10,l90");
    }
  }
  EXPECT_FALSE(QDir(sv.DataPath() + "DL-001").entryList({"20*"}, QDir::Dirs).size());
  // SE values arrive in tenths of a dB and are stored as decimals, like the NG's.
  const QDate y = today.addDays(-1);
  const QString row =
      first.value("DL-003/" + y.toString("yyyy-MM") + "/per-" + y.toString("dd") + "-0060.csv")
          .value(1);
  EXPECT_TRUE(
      QRegularExpression(R"(^00:00:00,\d+\.\d,\d+\.\d,\d+\.\d,\d+\.\d$)").match(row).hasMatch())
      << row.toStdString();

  // A second run asks again from the newest stored rows: nothing stored changes, and no alarm
  // row is stored twice.
  ASSERT_TRUE(sv.Start({}));
  {
    Simulator sim(sv.Port(), 3);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 60000));
    QThread::msleep(1500);
  }
  EXPECT_EQ(sv.Stop(), 0);
  const auto second = CsvFiles(sv.DataPath());
  for (auto it = first.begin(); it != first.end(); ++it) {
    const QStringList& after = second.value(it.key());
    ASSERT_EQ(after.size(), it->size()) << it.key().toStdString();
    for (int i = 1; i < it->size(); ++i)
      if (!(*it)[i].endsWith(",-")) {
        EXPECT_EQ(after[i], (*it)[i]) << it.key().toStdString();
      }
  }
  for (auto it = second.begin(); it != second.end(); ++it) {
    if (!it.key().contains("/alm-")) continue;
    const QStringList rows = it->mid(1);
    EXPECT_EQ(QSet<QString>(rows.begin(), rows.end()).size(), rows.size())
        << it.key().toStdString();
  }
}

TEST(DownloadFiles, KillDuringADownloadLeavesNoTruncatedFileAndTheNextStartCompletes) {
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  {
    Simulator sim(sv.Port(), 20);
    QThread::msleep(1500);
    sv.Kill();  // SIGKILL in the middle of the prf download
  }
  ExpectWholeFiles(CsvFiles(sv.DataPath()));

  ASSERT_TRUE(sv.Start({}));
  {
    Simulator sim(sv.Port(), 20);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 180000));
    QThread::msleep(1500);
  }
  EXPECT_EQ(sv.Stop(), 0);
  const auto files = CsvFiles(sv.DataPath());
  ExpectWholeFiles(files);
  for (int back = 1; back <= 20; ++back) {
    const QDate d = QDate::currentDate().addDays(-back);
    EXPECT_EQ(Filled(files.value("DL-003/" + d.toString("yyyy-MM") + "/prf-" + d.toString("dd") +
                                 ".csv")),
              86400)
        << d.toString().toStdString();
  }
}

// Files of the days before today (today's grow while the test runs).
QMap<QString, QStringList> PastDays(const QMap<QString, QStringList>& files) {
  const QString today = QDate::currentDate().toString("/yyyy-MM/");
  const QString day = QDate::currentDate().toString("-dd");
  QMap<QString, QStringList> past;
  for (auto it = files.begin(); it != files.end(); ++it)
    if (!(it.key().contains(today) && it.key().section('/', -1).mid(3, 3) == day))
      past.insert(it.key(), it.value());
  return past;
}

TEST(DownloadFiles, KillWithWritesPendingThenARestartStoresEveryRowExactlyOnce) {
  SupervisorProcess clean;
  ASSERT_TRUE(clean.Start({}));
  {
    Simulator sim(clean.Port(), 3);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 90000));
    QThread::msleep(1500);
  }
  EXPECT_EQ(clean.Stop(), 0);
  const auto expected = PastDays(CsvFiles(clean.DataPath()));

  SupervisorProcess sv;
  qputenv("QMSV_STORAGE_DELAY_MS", "150");  // a slow disk: the writes queue up
  const bool started = sv.Start({});
  qunsetenv("QMSV_STORAGE_DELAY_MS");
  ASSERT_TRUE(started);
  {
    Simulator sim(sv.Port(), 3);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 90000));
    sv.Kill();  // every reply is in, most files are still waiting for the disk
  }
  const auto atKill = CsvFiles(sv.DataPath());
  ExpectWholeFiles(atKill);
  EXPECT_LT(PastDays(atKill).size(), expected.size());

  ASSERT_TRUE(sv.Start({}));
  {
    Simulator sim(sv.Port(), 3);
    ASSERT_TRUE(sim.WaitForEndMarkers(15, 90000));
    QThread::msleep(1500);
  }
  EXPECT_EQ(sv.Stop(), 0);
  const auto after = PastDays(CsvFiles(sv.DataPath()));
  EXPECT_EQ(after.keys(), expected.keys());
  for (auto it = expected.begin(); it != expected.end(); ++it)
    EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
}

}  // namespace
