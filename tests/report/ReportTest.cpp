#include "report/ReportFixture.h"

#include "report/Report.h"
#include "report/ReportCsv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace qmreport;
using qmtest::Tenth;

const QDate kDay(2024, 6, 12);

Request DayRequest(const qmtest::DataFolder& data, const QString& id = "SE-1") {
  Request q;
  q.dataPath = data.Path();
  q.id = id;
  q.day = kDay;
  q.tz = QTimeZone("Europe/London");
  return q;
}

TEST(Report, DayFromStoredFilesWithNightIntoTheNextDay) {
  qmtest::DataFolder data;
  data.TermCfg("SE-1", "Mill Lane", "Quietmark-SE", "trig1=65\r\ntrig2=75\r\n");
  // 50 dB in the first half of every hour, 70 dB in the second; the evening hours have gaps.
  data.Prf("SE-1", kDay, [](int s) {
    if (s / 3600 >= 19 && s / 3600 < 23 && s % 2) return QString("-");
    return Tenth(s % 3600 < 1800 ? 50.0 : 70.0);
  });
  data.Prf("SE-1", kDay.addDays(1), [](int s) { return Tenth(s < 7 * 3600 ? 40.0 : 90.0); });
  data.Write("SE-1/2024-06/alm-12.csv",
             QString(".time,duration,lmax\r\n10:00:01,12,81.2\r\n14:30:00,3,77.0\r\n"));
  data.Write("SE-1/2024-06/cal-12.csv", QString(".time,reference,offset\r\n06:00:00,94.0,0.2\r\n"));
  data.Write("SE-1/2024-06/per-12-0060.csv",
             QString(".time,laeq,lmax,l10,l90\r\n00:00:00,67.0,70.0,70.0,50.0\r\n01:00:00,-\r\n"));

  const Report r = BuildReport(DayRequest(data));
  ASSERT_TRUE(r.HasData());
  EXPECT_EQ(r.monitor.name, "Mill Lane");
  EXPECT_EQ(r.monitor.trig2, 75.0);
  ASSERT_EQ(r.intervals.size(), 24);
  for (const IntervalRow& ir : r.intervals) {
    SCOPED_TRACE(ir.at.label.toStdString());
    EXPECT_NEAR(ir.stats.laeq, 67.0, 0.05);
    EXPECT_EQ(ir.stats.l10, 70.0f);
    EXPECT_EQ(ir.stats.l90, 50.0f);
    const bool evening = ir.at.start >= 19 * 3600 && ir.at.start < 23 * 3600;
    EXPECT_DOUBLE_EQ(ir.stats.Coverage(), evening ? 0.5 : 1.0);
  }
  // Gaps lower the coverage, not the level; the night's hours after midnight come from the next
  // day's file (40 dB), its hour before midnight from this one.
  EXPECT_NEAR(r.den.levening, 67.0, 0.05);
  const double hour = 10 * std::log10((std::pow(10, 5.0) + std::pow(10, 7.0)) / 2);
  EXPECT_NEAR(r.den.lnight, 10 * std::log10((std::pow(10, hour / 10) + 7 * 1e4) / 8), 1e-4);
  EXPECT_EQ(r.alarms.columns, (QStringList{"time", "duration", "lmax"}));
  ASSERT_EQ(r.alarms.rows.size(), 2);
  EXPECT_EQ(r.alarms.rows[0], (QStringList{"10:00:01", "12", "81.2"}));
  EXPECT_EQ(r.days.value(0).alarms, 2);
  ASSERT_EQ(r.calibrations.rows.size(), 1);
  ASSERT_EQ(r.periodic.size(), 1);
  EXPECT_EQ(r.periodic[0].columns, (QStringList{"time", "laeq", "lmax", "l10", "l90"}));
  EXPECT_EQ(r.periodic[0].rows.size(), 1);  // the empty slot is left out
  EXPECT_TRUE(r.notes.isEmpty()) << r.notes.join("; ").toStdString();

  // The CSV: a header and one row per hour, "." decimals, CR LF.
  const QByteArray csv = ReportCsv(r);
  const QList<QByteArray> lines = csv.split('\n');
  ASSERT_EQ(lines.size(), 26);  // 25 lines and the empty piece after the last CR LF
  EXPECT_EQ(lines[0], "date,start,minutes,LAeq,LAmax,LAmin,LA10,LA90,coverage\r");
  EXPECT_EQ(lines[20], "2024-06-12,19:00,60,67.0,70.0,50.0,70.0,50.0,0.500\r");
  EXPECT_TRUE(csv.endsWith("\r\n"));
}

TEST(Report, IntervalsFollowTheRequestAndTheClockChanges) {
  qmtest::DataFolder data;
  data.TermCfg("SE-1", "a", "Quietmark-SE");
  const QDate autumn(2024, 10, 27);
  data.Prf("SE-1", autumn, [](int s) { return Tenth(s < 3600 ? 50.0 : 60.0); });
  Request q = DayRequest(data);
  q.day = autumn;
  Report r = BuildReport(q);
  ASSERT_EQ(r.intervals.size(), 25);
  EXPECT_TRUE(r.intervals[2].at.repeat);
  EXPECT_EQ(r.intervals[2].stats.valid, 0u);  // the file holds the wall-clock hour once
  EXPECT_EQ(r.days[0].hours, 25);
  EXPECT_EQ(r.dstNotes.size(), 1);
  q.interval = 15;
  r = BuildReport(q);
  EXPECT_EQ(r.intervals.size(), 100);
  EXPECT_NEAR(r.intervals[0].stats.laeq, 50.0, 1e-6);
}

TEST(Report, MonthHasOneRowPerDayAndItsSummary) {
  qmtest::DataFolder data;
  data.TermCfg("NG-1", "b", "Quietmark-NG");
  for (int d = 1; d <= 3; ++d)
    data.Prf("NG-1", QDate(2024, 6, d), [d](int) { return Tenth(50.0 + d); });
  data.Write("NG-1/2024-06/alm-02.csv", QString(".time,duration,lmax\r\n10:00:00,5,80.0\r\n"));
  Request q = DayRequest(data, "NG-1");
  q.kind = Kind::Month;
  const Report r = BuildReport(q);
  ASSERT_EQ(r.days.size(), 30);
  EXPECT_EQ(r.from, QDate(2024, 6, 1));
  EXPECT_NEAR(r.days[0].den.lday, 51.0, 1e-5);
  EXPECT_NEAR(r.days[2].den.lnight, 53.0, 1e-5);  // no next day: the night before midnight
  EXPECT_NEAR(r.days[1].den.lnight,
              10 * std::log10((1 * std::pow(10, 5.2) + 7 * std::pow(10, 5.3)) / 8), 1e-4);
  EXPECT_EQ(r.days[1].alarms, 1);
  EXPECT_EQ(r.days[10].coverage, 0.0);
  EXPECT_TRUE(std::isnan(r.days[10].den.lden));
  EXPECT_EQ(r.alarms.columns.value(0), "date");
  EXPECT_EQ(r.alarms.rows.value(0).value(0), "2024-06-02");
  const QList<QByteArray> lines = ReportCsv(r).split('\n');
  EXPECT_EQ(lines.size(), 32);
  EXPECT_TRUE(lines[1].startsWith("2024-06-01,24,51.0,51.0,51.0,"));
  EXPECT_TRUE(lines[11].startsWith("2024-06-11,24,,,,,,,0,0.000"));

  q.kind = Kind::Week;  // Wednesday 12 June: the week from Monday 10 June
  const Report w = BuildReport(q);
  EXPECT_EQ(w.from, QDate(2024, 6, 10));
  EXPECT_EQ(w.to, QDate(2024, 6, 16));
  EXPECT_FALSE(w.HasData());
}

TEST(Report, BadInputIsAGapAndANoteAndTheDataFolderStaysUntouched) {
  qmtest::DataFolder data;  // no term.cfg
  data.Prf("X", kDay, [](int s) {
    switch (s) {
      case 100:
        return QString("abc");
      case 101:
        return QString("1e9");
      case 102:
        return QString("nan");
      case 103:
        return QString("");
      default:
        return Tenth(60.0);
    }
  });
  // Hand edits: a bad time, a value out of range, an extra row, a line without a value, a row
  // beyond midnight, then the file is cut off in the middle of a row.
  QFile f(data.Path() + "X/2024-06/prf-12.csv");
  ASSERT_TRUE(f.open(QIODevice::Append));
  f.write("2x:00:00,60.0\r\n24:00:00,60.0\r\n12:00\r\n23:59:59,60");
  f.close();
  data.Write("X/2024-06/alm-12.csv", QString("garbage line\r\n10:00:00,5,81.0\r\n\r\n"));
  data.Write("X/2024-06/cal-12.csv", QByteArray("\xff\xfe\x00\x01", 4));
  // A folder and a pipe where files belong.
  QDir().mkpath(data.Path() + "X/2024-06/per-12-0015.csv");
  ASSERT_EQ(mkfifo(QFile::encodeName(data.Path() + "X/2024-06/per-12-0060.csv").constData(), 0600),
            0);
  // A prf file of the next day that is truncated to half a row.
  data.Write("X/2024-06/prf-13.csv", QString(".\r\n00:00:0"));
  const auto before = data.Snapshot();

  const Report r = BuildReport(DayRequest(data, "X"));
  ASSERT_TRUE(r.HasData());
  EXPECT_EQ(r.total.valid, 86400u - 4);
  EXPECT_NEAR(r.total.laeq, 60.0, 1e-5);
  EXPECT_EQ(r.total.lmax, 60.0f);
  ASSERT_EQ(r.alarms.rows.size(), 1);
  EXPECT_TRUE(r.calibrations.rows.isEmpty());
  const QString notes = r.notes.join("\n");
  EXPECT_TRUE(notes.contains("X/term.cfg")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("X/2024-06/prf-12.csv: 7 unreadable rows")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("X/2024-06/alm-12.csv: 1 unreadable rows")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("X/2024-06/prf-13.csv: 1 unreadable rows")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("X/2024-06/per-12-0015.csv: not a regular file"));
  EXPECT_TRUE(notes.contains("X/2024-06/per-12-0060.csv: not a regular file"));
  EXPECT_EQ(data.Snapshot(), before);

  // A monitor without any file: no data, and still nothing created.
  EXPECT_FALSE(BuildReport(DayRequest(data, "nobody")).HasData());
  EXPECT_EQ(data.Snapshot(), before);
}

}  // namespace
