#include "core/Clock.h"
#include "core/EventLog.h"
#include "download/DataFiles.h"
#include "download/StartTime.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <ctime>

#include <gtest/gtest.h>

namespace {

// The start-time search below one monitor's folder, with today fixed at 2024-03-07 15:00.
class StartTimeTest : public ::testing::Test {
 protected:
  StartTimeTest() {
    qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 7), QTime(15, 0)); });
  }
  ~StartTimeTest() override { qmclock::SetSource({}); }

  QDateTime Last(const QString& stub) {
    return starts.LastDateTime(folder, "M1", stub, qmclock::Now().date());
  }
  QDateTime LastPer(int period) {
    return starts.LastPerDateTime(folder, "M1", period, qmclock::Now().date());
  }
  void Write(const QString& relative, const QStringList& lines) {
    const QString path = folder + "/" + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(qmfiles::Save(path, lines));
  }
  bool LogHas(const QString& text) {
    for (const QString& l : log.Lines())
      if (l.contains(text)) return true;
    return false;
  }

  QTemporaryDir dir;
  QString folder = dir.path() + "/M1";
  TEventLog log{nullptr};
  TStartTimes starts;
};

TEST_F(StartTimeTest, StartTimeSearches) {
  const QDate today(2024, 3, 7);
  EXPECT_EQ(Last("alm"), QDateTime(QDate(2016, 9, 9), QTime(0, 0)));
  EXPECT_EQ(LastPer(5), QDateTime(QDate(2016, 9, 9), QTime(0, 0)));

  Write("2024-03/alm-07.csv", {".hdr", "14:03:27,3,70.0", "xx"});
  EXPECT_EQ(Last("alm"), QDateTime(today, QTime(14, 3, 28)));
  // Header only: yesterday's file counts.
  Write("2024-03/alm-07.csv", {".hdr"});
  Write("2024-03/alm-06.csv", {".hdr", "23:00:00,1,60.0"});
  EXPECT_EQ(Last("alm"), QDateTime(today.addDays(-1), QTime(23, 0, 1)));
  // Two lines but nothing filled: today at midnight.
  Write("2024-03/cal-07.csv", {".hdr", "10:00:00,-"});
  EXPECT_EQ(Last("cal"), QDateTime(today, QTime(0, 0)));
  // "-" after a blank is still an empty slot.
  Write("2024-03/cal-07.csv", {".hdr", "09:00:00,94.0", "10:00:00, -"});
  EXPECT_EQ(Last("cal"), QDateTime(today, QTime(9, 0, 1)));
  // A corrupt time: logged, today at midnight.
  Write("2024-03/prf-07.csv", {".", "1x:00:00,55.0"});
  EXPECT_EQ(Last("prf"), QDateTime(today, QTime(0, 0)));
  EXPECT_TRUE(LogHas("Integer conversion failed"));

  QStringList per;
  qmfiles::InitPerFile(per, 15);
  Write("2024-03/per-07-0015.csv", per);  // unfilled: search goes back a day
  per[57] = "14:00:00,50.0";
  per[58] = "1x:15:00,50.0";  // corrupt and newer: skipped
  Write("2024-02/per-29-0015.csv", per);
  EXPECT_EQ(LastPer(15), QDateTime(QDate(2024, 2, 29), QTime(14, 0)));
  // A file the program rewrote is read again.
  per[59] = "14:30:00,50.0";
  Write("2024-03/per-07-0015.csv", per);
  EXPECT_EQ(LastPer(15), QDateTime(today, QTime(14, 30)));
}

// Start times are wall-clock times of the row's day, also on days that change the clocks.
TEST_F(StartTimeTest, StartTimesKeepTheWallClockOnDaylightSavingDays) {
  const QByteArray oldTz = qgetenv("TZ");
  qputenv("TZ", "Europe/London");
  tzset();
  struct Case {
    QDate day;
    QString row;
    QTime alm;  // one second later, or the next day's midnight
  } cases[] = {
      {QDate(2024, 3, 31), "14:03:27,3,70.0", QTime(14, 3, 28)},   // clocks go forward
      {QDate(2024, 10, 27), "14:03:27,3,70.0", QTime(14, 3, 28)},  // clocks go back
      {QDate(2024, 10, 27), "23:59:59,3,70.0", QTime(0, 0)},
  };
  for (const Case& c : cases) {
    qmclock::SetSource([&] { return QDateTime(c.day, QTime(23, 59, 59)); });
    const QString month = c.day.toString("yyyy-MM");
    Write(month + "/alm-" + c.day.toString("dd") + ".csv", {".h", c.row});
    QStringList per;
    qmfiles::InitPerFile(per, 60);
    per[15] = "14:00:00,50.0";
    Write(month + "/per-" + c.day.toString("dd") + "-0060.csv", per);
    const QDate almDay = c.alm == QTime(0, 0) ? c.day.addDays(1) : c.day;
    auto text = [](const QDateTime& t) { return t.toString("yyyy-MM-dd HH:mm:ss").toStdString(); };
    EXPECT_EQ(text(Last("alm")), text(QDateTime(almDay, c.alm))) << c.row.toStdString();
    EXPECT_EQ(text(LastPer(60)), text(QDateTime(c.day, QTime(14, 0))));
  }
  if (oldTz.isNull())
    qunsetenv("TZ");
  else
    qputenv("TZ", oldTz);
  tzset();
}

}  // namespace
